// Reading little-endian fields of WAVE bytes in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zem2wav_test {

// The unsigned value of `bytes` bytes (1 to 4) at `at`, low byte first.
inline uint32_t readLe(const std::string& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(b[at + size_t(i)]);
    return v;
}

} // namespace zem2wav_test
