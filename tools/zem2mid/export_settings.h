// The exporter's run settings and their switches: -L loops, -D delay,
// -F fade, -M device mask, -Z ignore endless loops, -O note-off velocity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zem2mid {

struct ExportSettings {
    uint8_t loopCount = 2;
    int32_t delayMs = 1000;
    uint32_t fadeMs = 9000;
    uint16_t deviceMask = 0x0001; // bit n lets port n through
    bool ignoreEndlessLoops = false;
    bool offVelocity = false;
};

// What follows a switch's number when it is neither "-" nor the end of the
// word: the console program ignores the rest, the windowed one refuses it.
enum class TrailingText { EndsWord, IsIllegal };

// Reads every switch word of the command line (wherever it stands; later
// ones win).  Raises 0x40000 ("Illegal option.") for an unknown letter, or
// for trailing text when that is illegal.
ExportSettings parseSettings(const std::vector<std::string>& words, TrailingText trailing);

} // namespace zem2mid
