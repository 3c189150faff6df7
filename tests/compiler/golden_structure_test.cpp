// Words written by the structure commands: tempo, timebase, texts,
// settings, info items, stop, loops, resume, option bits, raw words.
#include "compile_helper.h"
#include "golden_words.h"

#include <gtest/gtest.h>

namespace kvt_test {
namespace {

INSTANTIATE_TEST_SUITE_P(
    Structure, WordsGolden,
    ::testing::Values(
        // 61440000 / (120 * 192) = 2666.67, rounded
        Golden{"T120", "CD00 0A6B"}, Golden{"T*100", "CD00 0064"}, Golden{"T*0", "CD00 0001"},
        Golden{"T*16777216", "CDFF FFFF"}, Golden{"T120,4", "CE00 0A6B 0030"},
        Golden{"T120,4,60", "CF00 0A6B 0000 14D5 0030"}, Golden{"T60.5", "CD00 14A9"},
        Golden{"%96 T120", "FFF9 0060 CD00 14D5"}, Golden{";", "E000 0000"}, Golden{";ab", "E002 6261 0000"},
        Golden{";abc\nc", "E003 6261 0063 C1BC 0030"}, Golden{"=0,5 c", "F000 0005 C1BC 0030"},
        Golden{"=255,-1 c", "F0FF FFFF C1BC 0030"}, Golden{"=300,1 =256,0 c", "C1BC 0030"},
        Golden{"?3\"AB\"", "FFF8 0302 4241 0000"}, Golden{"?1{0a 0B}", "FFF8 0102 0B0A 0000"},
        Golden{"?7", "FFF8 0700 0000"}, Golden{"c H", "C1BC 0030 FFFE"},
        Golden{"[3 c | d ]", "CC03 FFDE C1BC 0030 FFFD C13E FFFC"},
        Golden{"c [ c ]", "C1BC 0030 CC02 FFDE C1BC 0030 FFFC"}, Golden{"[0 c ]", "CC00 FFDE C1BC 0030 FFFC"},
        Golden{"{0102 0304}", "0201 0403"}, Golden{"`+1 c `-1 c", "C0BC 0030 C13C"},
        Golden{"#0 c W1 #1 d", "C1BC 0030 C601"}, Golden{"#0 c W1-2 #1 d #2 e", "C1BC 0030 C601 C602"},
        Golden{"#0 c W2-1 #1 d #2 e", "C1BC 0030 C601 C602"}, Golden{"#0 c W!2 #1 d #2 e", "C1BC 0030 F201 0002"},
        Golden{"#0 c W!1,2 #1 d #2 e", "C1BC 0030 F202 0201"}, Golden{"#0 c W! #1 d", "C1BC 0030 F200"},
        // every pass applies the timebase, even where the text is not the track's
        Golden{"#0 c4 #1 %96 d #0 c4", "C1BC 0030 C1BC 0018"}, Golden{"\\1 c\n\\0,1 d", "C1BE 0030"}));

TEST(StructureTracks, SelectionListsAndRangesPickTracks)
{
    Compiled c = compileText("#1,3-5 c");
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.image[16], 4); // tracks 1, 3, 4 and 5
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(hexWords(trackWords(c.image, i)), "C1BC 0030 FFFF");
    Compiled reversed = compileText("#5-3 c");
    ASSERT_EQ(reversed.result, 0);
    EXPECT_EQ(reversed.image[16], 3);
}

TEST(StructureTracks, ConditionMaskComesFromFlagsAndSetting)
{
    struct Case {
        const char* text;
        uint32_t flags;
        const char* words;
    };
    const Case cases[] = {
        {"\\1,2 c\n\\4,1 d\ne", 5, "C1BC 0030 C140"},
        {"\\1,2 c\n\\4,1 d\ne", 0, "C1C0 0030"},
        {"=268,4 \\4 c\n", 0, "C1BC 0030"},
        {"\\2 c\nd", 0x10002, "C1BC 0030 C13E"},
    };
    for (const Case& k : cases) EXPECT_EQ(hexWords(wordsOf(k.text, k.flags)), k.words) << k.text;
}

TEST(StructureHeader, InfoOffsetsOfTrackZeroGoToTheHeader)
{
    Compiled c = compileText("?3\"T\" ?2\"N\" ?3\"X\" ?190{01} ?191{02} c");
    ASSERT_EQ(c.result, 0) << c.message;
    // data starts at 48; each item is 3 words
    EXPECT_EQ(c.image[20], 48 + 4);
    EXPECT_EQ(c.image[24], 54 + 4);
    EXPECT_EQ(c.image[40], 66 + 4);
    EXPECT_EQ(c.image[44], 72 + 4);
    Compiled other = compileText("#1 ?3\"T\" c");
    ASSERT_EQ(other.result, 0);
    EXPECT_EQ(other.image[20], 0); // only track number 0 names the title
}

TEST(StructureHeader, TimebaseIsTheLargestOfTheText)
{
    Compiled c = compileText("%96 c %384 #1 %48 d");
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.image[18] | c.image[19] << 8, 384);
    Compiled plain = compileText("c");
    EXPECT_EQ(plain.image[18] | plain.image[19] << 8, 192);
}

} // namespace
} // namespace kvt_test
