#include "switch_words.h"

#include "run_files.h"

#include <cctype>

namespace tools {

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

} // namespace tools
