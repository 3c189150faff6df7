#include "golden_words.h"

#include "compile_helper.h"

namespace kvt_test {

TEST_P(WordsGolden, WritesTheExpectedWords)
{
    EXPECT_EQ(hexWords(wordsOf(GetParam().text)), GetParam().words) << "text: «" << GetParam().text << "»";
}

} // namespace kvt_test
