// The engine's bar counter record (DP_BAR_COUNTER_SIZE bytes, little-endian),
// read into its fields.
#pragma once

#include "zemplay.h"

#include <cstdint>

namespace host {

struct BarPosition {
    int beatsPerBar = 4;    // B, byte 2
    int beat = 0;           // K, byte 3, from 0
    uint32_t barLength = 0; // T, ticks, u32 at 4
    uint32_t tickInBar = 0; // P, u32 at 8
    uint32_t bar = 0;       // M, u16 at 12, from 0
};

BarPosition barPosition(const uint8_t* record);

// The player's current bar counter; the fields' defaults when it reports none.
BarPosition currentBar(dp_player* player);

} // namespace host
