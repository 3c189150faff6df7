// The switches of the compiler drivers: -F flags, -S output suffix and -M
// the source map beside the image.
#pragma once

#include "common/switch_words.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zemc_driver {

struct Switches {
    uint32_t flags = 0;
    std::string suffix = ".ZEM";
    bool sourceMap = false;
};

// Reads every switch word ("-" first) of the command line, in order, so that
// the last -F and the last -S win.  Raises 0x40001 ("Illegal option.") for an
// unknown letter, or for trailing text when it is illegal.
Switches parseSwitches(const std::vector<std::string>& words, tools::TrailingText trailing);

} // namespace zemc_driver
