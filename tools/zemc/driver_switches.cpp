#include "driver_switches.h"

#include "driver_codes.h"

#include "common/switch_words.h"
#include "util/uerr.h"

namespace zemc_driver {

Switches parseSwitches(const std::vector<std::string>& words, tools::TrailingText trailing)
{
    Switches result;
    tools::readSwitchWords(words, trailing, kErrIllegalOption, [&](char letter, const std::string& word, size_t& pos) {
        if (letter == 'S') {
            result.suffix = word.substr(pos);
            pos = word.size();
        } else if (letter == 'F') {
            result.flags = tools::readSwitchMask(word, pos);
        } else if (letter == 'M') {
            result.sourceMap = true;
        } else {
            return false;
        }
        return true;
    });
    return result;
}

} // namespace zemc_driver
