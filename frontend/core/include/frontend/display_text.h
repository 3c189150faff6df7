// The display texts of the player window, made from the values the engine
// reports: elapsed time, tempo, step position, key signature, and the
// piece's title and notice converted from their stored character set.
#pragma once

#include "host/bar_position.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace frontend {

// "%d:%.2d.%.2d": minutes, seconds, hundredths.
std::string timeText(uint32_t elapsedMs);
// period: the tempo in 1/256 ms per tick; timebase: ticks per whole note.
// "95.50"; "0.00" when either is 0.
std::string tempoText(uint32_t period, int timebase);

// The fields of the engine's bar counter record that the step display uses.
using host::BarPosition;
using host::barPosition;
// L_Step: "%d:%3.3d:%4.4d" of M, min(K + 1, 999), min(P - T * K / B, 9999).
std::string stepText(const BarPosition& position);
// L_Step2: "%3.3d:%4.4d" of B, T / B.
std::string measureText(const BarPosition& position);

// The key display of a key-signature meta event payload: "Cb major",
// "(META89: length mismatch)", "(META89: illegal)".
std::string keyText(const uint8_t* payload, size_t count);

// A title or notice converted for display.
struct ConvertedText {
    std::string utf8;
    int fontCharset = 255;
    bool changed = true; // false: the label keeps what it showed before
};
// The font character set of a language code ("ja", "jpn", "en-US"); 255
// for unknown or missing codes.
int languageCharset(const std::string& language);
// bytes in the named character set (as the engine returns it) for a piece
// in the given language.
ConvertedText convertText(const std::string& bytes, const std::string& language, const std::string& charset);
// L_CSet: "(%s; %s)" with "unknown" and "default" for empty texts.
std::string charsetLine(const std::string& language, const std::string& charset);

} // namespace frontend
