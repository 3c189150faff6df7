#include "common/switch_words.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr util::ErrCode kIllegal = 0x40001;

// Knows A (no argument) and N (digits); returns the letters and arguments
// read, "illegal" when the walk raised.
std::string walk(const std::vector<std::string>& words, tools::TrailingText trailing)
{
    std::string seen;
    try {
        tools::readSwitchWords(words, trailing, kIllegal, [&](char letter, const std::string& word, size_t& pos) {
            if (letter != 'A' && letter != 'N') return false;
            seen += letter;
            while (letter == 'N' && pos < word.size() && std::isdigit(static_cast<unsigned char>(word[pos])))
                seen += word[pos++];
            return true;
        });
    } catch (const util::UerrRaised& raised) {
        return raised.code == kIllegal ? "illegal" : "other code";
    }
    return seen;
}

TEST(ToolSwitchWords, LettersInOrderAndWhatTrailsThem)
{
    struct Row {
        std::vector<std::string> words;
        std::string endsWord;  // the console programs
        std::string isIllegal; // the windowed ones
    };
    const std::vector<Row> table = {
        {{"song", "-a"}, "A", "A"},                   // file words are passed over; either case
        {{"-N12-a", "x", "-n3"}, "N12AN3", "N12AN3"}, // several in a word, all words in order
        {{"-N12x-A", "-A"}, "N12A", "illegal"},       // trailing text ends the word or is refused
        {{"-Ab"}, "A", "illegal"},
        {{"-A--N1"}, "illegal", "illegal"}, // "-" with no letter
        {{"-"}, "illegal", "illegal"},
        {{"-A-Q"}, "illegal", "illegal"},
    };
    for (const Row& r : table) {
        EXPECT_EQ(walk(r.words, tools::TrailingText::EndsWord), r.endsWord) << r.words.front();
        EXPECT_EQ(walk(r.words, tools::TrailingText::IsIllegal), r.isIllegal) << r.words.front();
    }
}

} // namespace
