#include "driver_switches.h"

#include "driver_codes.h"

#include "common/switch_words.h"
#include "util/uerr.h"

namespace zemc_driver {

namespace {

int digitValue(char c, unsigned base)
{
    int v;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    else
        return -1;
    return v < static_cast<int>(base) ? v : -1;
}

// «-F» number: decimal with optional sign, «.» binary, «&» hex; wraps at 32 bits.
uint32_t readFlagNumber(const std::string& word, size_t& pos)
{
    unsigned base = 10;
    if (pos < word.size() && word[pos] == '.') {
        base = 2;
        ++pos;
    } else if (pos < word.size() && word[pos] == '&') {
        base = 16;
        ++pos;
    }
    bool negative = false;
    // A sign belongs to the number only when a digit follows; otherwise the
    // "-" starts the next switch of the word.
    if (base == 10 && pos + 1 < word.size() && (word[pos] == '+' || word[pos] == '-') &&
        digitValue(word[pos + 1], 10) >= 0) {
        negative = word[pos] == '-';
        ++pos;
    }
    uint32_t value = 0;
    for (int d; pos < word.size() && (d = digitValue(word[pos], base)) >= 0; ++pos)
        value = value * base + static_cast<uint32_t>(d);
    return negative ? 0u - value : value;
}

} // namespace

Switches parseSwitches(const std::vector<std::string>& words, tools::TrailingText trailing)
{
    Switches result;
    tools::readSwitchWords(words, trailing, kErrIllegalOption, [&](char letter, const std::string& word, size_t& pos) {
        if (letter == 'S') {
            result.suffix = word.substr(pos);
            pos = word.size();
        } else if (letter == 'F') {
            result.flags = readFlagNumber(word, pos);
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
