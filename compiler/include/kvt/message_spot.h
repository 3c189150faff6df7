// Where a compile message points, as the compiler reports it back.
#pragma once

#include <cstdint>

namespace kvt {

// The line a compile message names and the first byte of the command that
// was begun there (null before any command).
struct MessageSpot {
    uint32_t line = 1;
    const uint8_t* command = nullptr;
};

} // namespace kvt
