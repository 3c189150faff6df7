// The system-exclusive messages the synthesizer reads itself rather than
// leave to FluidSynth: GS data sets addressed to one part (FluidSynth knows
// no GS scale tuning, and would apply part messages to the first port's
// channels whatever the port), and the system resets that end them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::gs {

// Addresses within a part's block (40 1b xx).
inline constexpr uint8_t kUseForRhythmPart = 0x15;
inline constexpr uint8_t kScaleTuning = 0x40; // 12 bytes, 64 + cents for C .. B

// F0 41 dev 42 12 40 1b aa data... sum F7 with a right checksum.
struct PartMessage {
    int channel; // 0-15: block 0 is part 10 (channel 9), 1-9 parts 1-9, A-F parts 11-16
    uint8_t address;
    const uint8_t* data;
    size_t count;
};

std::optional<PartMessage> parsePartMessage(const uint8_t* bytes, size_t count);

// GM system on/off, GM2 on, GS reset, XG system on (any device number).
bool isSystemReset(const uint8_t* bytes, size_t count);

} // namespace platform::gs
