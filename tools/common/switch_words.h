// The switch words of the tools: "-" and a letter, the letter's argument,
// then the next "-" or the end of the word; several switches may share one
// word ("-L3-D500").  Each tool reads its own letters and numbers.
#pragma once

#include "util/uerr.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// What follows a switch's argument when it is neither "-" nor the end of
// the word: the console programs ignore the rest of the word, the windowed
// ones refuse it.
enum class TrailingText { EndsWord, IsIllegal };

// Reads the switch of letter (upper case; '\0' at the end of the word) from
// pos on, leaving pos after what it took.  False for a letter it does not
// know.
using SwitchReader = std::function<bool(char letter, const std::string& word, size_t& pos)>;

// Walks every switch of the switch words in order, so that later ones win.
// Raises illegalOption for an unknown letter, or for trailing text when that
// is illegal.
void readSwitchWords(const std::vector<std::string>& words, TrailingText trailing, util::ErrCode illegalOption,
                     const SwitchReader& read);

// The number of a compile switch mask (-F) from pos on: decimal with an
// optional sign, "." binary or "&" hexadecimal; wraps at 32 bits.  Leaves
// pos after the last digit.
uint32_t readSwitchMask(const std::string& word, size_t& pos);

// The whole of text as a compile switch mask, or none when anything trails
// the number.
std::optional<uint32_t> switchMaskOf(const std::string& text);

} // namespace tools
