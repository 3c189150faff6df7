// The exporters' run settings and their switches: -L loops, -D delay,
// -F fade, -M device mask, -Z ignore endless loops, -O note-off velocity.
#pragma once

#include "common/switch_words.h"
#include "playback/song_playback.h"

#include <cstdint>
#include <string>
#include <vector>

namespace playback {

struct ExportSettings {
    PlaybackSettings playback;
    bool offVelocity = false; // note-offs as 8n with their release velocity
};

// Reads every switch word of the command line (wherever it stands; later
// ones win).  Raises 0x40000 ("Illegal option.") for an unknown letter, or
// for trailing text when that is illegal.
ExportSettings parseSettings(const std::vector<std::string>& words, tools::TrailingText trailing);

} // namespace playback
