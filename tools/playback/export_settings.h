// The exporters' run settings and their switches: -L loops, -D delay,
// -F fade, -M device mask, -Z ignore endless loops, -O note-off velocity.
#pragma once

#include "common/switch_words.h"
#include "host/song_playback.h"

#include <cstdint>
#include <string>
#include <vector>

namespace playback {

struct ExportSettings {
    host::PlaybackSettings playback;
    bool offVelocity = false; // note-offs as 8n with their release velocity
};

// Reads every switch word of the command line (wherever it stands; later
// ones win); a letter of its own goes to `more` when given.  Raises 0x40000
// ("Illegal option.") for an unknown letter, or for trailing text when that
// is illegal.
ExportSettings parseSettings(const std::vector<std::string>& words, tools::TrailingText trailing,
                             const tools::SwitchReader& more = nullptr);

// The longest run of decimal digits after pos; none reads as 0, no sign,
// wrapping at 32 bits.
uint32_t readDecimal(const std::string& word, size_t& pos);

} // namespace playback
