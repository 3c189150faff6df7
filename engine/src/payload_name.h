#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zemplay {

// A name carried in a meta payload (a sample or stream to open), handed to
// the host as a C string.  The payload's own NUL is not trusted: a damaged
// image may hold any byte there, and the host would read past the image.
struct PayloadName {
    char text[256];

    PayloadName(const uint8_t* payload, unsigned length)
    {
        const unsigned n = std::min(length, static_cast<unsigned>(sizeof text - 1));
        std::memcpy(text, payload, n);
        text[n] = '\0';
    }
};

} // namespace zemplay
