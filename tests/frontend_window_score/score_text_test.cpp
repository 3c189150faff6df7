// The score window's text: lines as shown, and the way between the byte
// columns the compiler counts and the characters shown.
#include "score_text.h"

#include <gtest/gtest.h>

namespace {

// Carriage returns, a two-byte character, a stray byte, a four-byte
// character (two UTF-16 units) and a line without a line feed.
const std::string kText = "c4 d8\r\n"
                          "/\xC3\xA9 e4\n"
                          "x\xFFy\xF0\x9F\x8E\xB5z\n"
                          "a\rb";

TEST(ScoreText, LinesShowWithoutLineEndsAndWithOneCharacterPerUndecodableByte)
{
    const zemfe::ScoreText text(kText);
    EXPECT_EQ(text.lineCount(), 4);
    EXPECT_EQ(text.displayText(), QString::fromUtf8("c4 d8\n/\xC3\xA9 e4\nx\xEF\xBF\xBDy\xF0\x9F\x8E\xB5z\na b"));
    EXPECT_EQ(zemfe::ScoreText("").lineCount(), 1);
    EXPECT_EQ(zemfe::ScoreText("c\n").lineCount(), 2);
}

TEST(ScoreText, ByteColumnsAndCharactersMapBothWays)
{
    const zemfe::ScoreText text(kText);
    struct Case {
        int line;
        uint32_t byteColumn;
        int charIndex;
    };
    const Case toChar[] = {
        {0, 3, 3}, {0, 5, 5}, {0, 9, 5}, // beyond the line: its end
        {1, 1, 1}, {1, 2, 1},            // inside «é»: «é»
        {1, 4, 3}, {1, 6, 5}, {2, 1, 1}, {2, 2, 2}, {2, 7, 5}, {2, 8, 6}, {3, 2, 2},
    };
    for (const Case& c : toChar)
        EXPECT_EQ(text.charIndex(c.line, c.byteColumn), c.charIndex) << c.line << ":" << c.byteColumn;
    const Case toByte[] = {
        {0, 4, 4}, {0, 5, 7}, {1, 1, 1},  {1, 3, 2},
        {1, 4, 3}, {2, 3, 3}, {2, 7, 4}, // the second unit of the four-byte character
        {2, 7, 5}, {2, 8, 6}, {2, 8, 40},
    };
    for (const Case& c : toByte)
        EXPECT_EQ(text.byteColumn(c.line, c.charIndex), c.byteColumn) << c.line << ":" << c.charIndex;
}

TEST(ScoreText, LinesOfOffsetsAndFirstTokensOfLines)
{
    const zemfe::ScoreText text(kText);
    const std::pair<uint32_t, int> lines[] = {{0, 0}, {6, 0}, {7, 1}, {13, 1}, {14, 2}, {22, 2}, {23, 3}, {99, 3}};
    for (const auto& [offset, line] : lines) EXPECT_EQ(text.lineOf(offset), line) << offset;

    // A quoted text runs from line 0 into line 1; line 2 is empty.
    const zemfe::ScoreText multi("?1\"a\nb\" c\n\nd");
    ASSERT_EQ(multi.tokens().size(), 5u);
    const std::pair<int, size_t> firsts[] = {{0, 0}, {1, 2}, {2, 4}, {3, 4}};
    for (const auto& [line, token] : firsts) EXPECT_EQ(multi.firstTokenOf(line), token) << line;
}

} // namespace
