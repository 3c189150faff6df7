// The switches of the compiler drivers: -F flags and -S output suffix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zemc_driver {

struct Switches {
    uint32_t flags = 0;
    std::string suffix = ".ZEM";
};

// How a word continues after an -F number with a character that starts no
// switch: the console driver ends the word there, the windowed one refuses it.
enum class TrailingText { EndsWord, IsIllegal };

// Reads every switch word ("-" first) of the command line, in order, so that
// the last -F and the last -S win.  Raises 0x40001 ("Illegal option.") for an
// unknown letter, or for trailing text when it is illegal.
Switches parseSwitches(const std::vector<std::string>& words, TrailingText trailing);

} // namespace zemc_driver
