// The exporters' run settings and their switches: -L loops, -D delay,
// -F fade, -M device mask, -Z ignore endless loops, -O note-off velocity.
#pragma once

#include "playback/song_playback.h"

#include <cstdint>
#include <string>
#include <vector>

namespace playback {

struct ExportSettings {
    PlaybackSettings playback;
    bool offVelocity = false; // note-offs as 8n with their release velocity
};

// What follows a switch's number when it is neither "-" nor the end of the
// word: the console program ignores the rest, the windowed one refuses it.
enum class TrailingText { EndsWord, IsIllegal };

// Reads every switch word of the command line (wherever it stands; later
// ones win).  Raises 0x40000 ("Illegal option.") for an unknown letter, or
// for trailing text when that is illegal.
ExportSettings parseSettings(const std::vector<std::string>& words, TrailingText trailing);

} // namespace playback
