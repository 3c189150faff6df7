#include "switch_words.h"

#include "run_files.h"

#include <cctype>

namespace tools {

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

} // namespace

void readSwitchWords(const std::vector<std::string>& words, TrailingText trailing, util::ErrCode illegalOption,
                     const SwitchReader& read)
{
    for (const std::string& word : words) {
        if (!isSwitchWord(word)) continue;
        size_t pos = 0;
        while (pos < word.size() && word[pos] == '-') {
            ++pos;
            const char letter =
                pos < word.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(word[pos]))) : '\0';
            ++pos;
            if (!read(letter, word, pos)) util::uerr_raise(illegalOption);
            if (pos < word.size() && word[pos] != '-') {
                if (trailing == TrailingText::IsIllegal) util::uerr_raise(illegalOption);
                break;
            }
        }
    }
}

// «-F» number: decimal with optional sign, «.» binary, «&» hex.
uint32_t readSwitchMask(const std::string& word, size_t& pos)
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

std::optional<uint32_t> switchMaskOf(const std::string& text)
{
    size_t pos = 0;
    const uint32_t mask = readSwitchMask(text, pos);
    if (pos != text.size()) return std::nullopt;
    return mask;
}

} // namespace tools
