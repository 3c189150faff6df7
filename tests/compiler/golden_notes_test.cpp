// Words written by notes, rests, lengths, octaves, key signatures,
// velocity, gate, slurs, portamento and chords.
#include "compile_helper.h"
#include "golden_words.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt_test {
namespace {

INSTANTIATE_TEST_SUITE_P(
    NotesAndLengths, WordsGolden,
    ::testing::Values(Golden{"c", "C1BC 0030"}, Golden{"c c", "C1BC 0030 C13C"}, Golden{"c8.", "C1BC 0024"},
                      Golden{"c*100", "C1BC 0064"}, Golden{"c2^4", "C1BC 0090"}, Golden{"c**1.5", "C1BC 0048"},
                      Golden{"c4**0.5", "C1BC 0018"}, Golden{"c4.. ", "C1BC 0054"}, Golden{"c**", "C13C"},
                      Golden{"c-4", "C1BB 0030"}, Golden{"c+", "C1BD 0030"}, Golden{"c++-", "C1BD 0030"},
                      Golden{"l8 c", "C1BC 0018"}, Golden{"c*5000", "C1BC 1388 0001"}, Golden{"c r2", "C1BC 0030 0060"},
                      Golden{"c r*0", "C1BC 0030"}, Golden{"c r*268435456", "C1BC 0030 1FFF FFFF 0001"},
                      Golden{"o5c", "C1C8 0030"}, Golden{"<c", "C1C8 0030"}, Golden{">c", "C1B0 0030"},
                      Golden{"`+2 <c", "C1B0 0030"}, Golden{"`+5 c", "C1C8 0030"}, Golden{"o-5 c", "C180 0030"},
                      Golden{"o12 c", "C1FF 0030"}, Golden{"S+!!!!!! c", "C1BD 0030"},
                      Golden{"S+!!!!!! c!", "C1BC 0030"}, Golden{"S!!!!!!- b", "C1C6 0030"},
                      Golden{"`+1 c", "C0BC 0030"}, Golden{"c4 %96 c4", "C1BC 0030 FFF9 0060 C1BC 0018"}));

INSTANTIATE_TEST_SUITE_P(
    VelocityAndGate, WordsGolden,
    ::testing::Values(
        Golden{"U100 c", "CB64 C1BC 0030"}, Golden{"U*5 c", "CB85 C1BC 0030"}, Golden{"U^-3 c", "CAFD C1BC 0030"},
        Golden{"U^-300 c", "CA81 C1BC 0030"}, Golden{"U c", "FFF2 C1BC 0030"}, Golden{"U! c", "FFF3 C1BC 0030"},
        Golden{"U*! c", "FFD9 C1BC 0030"}, Golden{"U!5 c", "FFF3 CB05 C1BC 0030"}, Golden{"U*^2 c", "F102 C1BC 0030"},
        Golden{"U* c", "FFD8 C1BC 0030"}, Golden{"~200 c", "CA7F C1BC 0030"}, Golden{"_3 c", "CAFD C1BC 0030"},
        Golden{"~ c", "CA01 C1BC 0030"}, Golden{"`+7 ~2 c", "F102 C1BC 0030"},
        // the numbers of «~» and «_» are unsigned: huge ones clamp to 127
        Golden{"~&FFFFFFFF c", "CA7F C1BC 0030"}, Golden{"_3000000000 c", "CA81 C1BC 0030"},
        Golden{"Q100 c", "FFEE 0064 C1BC 0030"}, Golden{"Q40000 c", "FFEE 7FFF C1BC 0030"},
        Golden{"Q*-5 c", "FFDA FFFB C1BC 0030"}, Golden{"Q^3 c", "FFEF 0003 C1BC 0030"},
        Golden{"Q*^-3 c", "FFDB FFFD C1BC 0030"}, Golden{"Q c", "FFF0 C1BC 0030"}, Golden{"Q*! c", "FFDD C1BC 0030"},
        Golden{"Q! c", "FFF1 C1BC 0030"}, Golden{"Q* c", "FFDC C1BC 0030"}));

INSTANTIATE_TEST_SUITE_P(
    SlursAndPortamento, WordsGolden,
    ::testing::Values(
        // c sounds for the whole chain; d and e bend it; f is a new note
        Golden{"c4&d4&e4 f", "C0BC 0090 0030 FFDF 1FFE 0030 FFDF 1FFF 0030 FFDE C1C1 0030"},
        Golden{"c&c", "C0BC 0060 0030 0030"}, Golden{"c&d&c", "C0BC 0090 0030 FFDF 1FFE 0030 FFDE 0030"},
        Golden{"c&V10,4&d", "C0BC 0090 0030 C518 070A 0030 FFDF 1FFE 0030"},
        Golden{"=269,0 c&d", "C0BC 0060 0030 0030"}, Golden{"`+4 c&d", "C0BC 0060 0030 FFDF 02AA 0030"},
        Golden{"c&#1 d #0 e", "C0BC 0060 0030 FFDF 1FFF 0030"},
        // an option item inside the chain does not cut the measurement short
        Golden{"c&`-1 d", "C0BC 0060 0030 FFDF 1FFE 0030"}, Golden{"(c g)4", "C0BC 0030 FFE2 1FFF"},
        Golden{"(c d e)8", "C0BC 0018 FFE6 1FFF 1FFE"}, Golden{"(c d)8 c", "C0BC 0018 FFE2 1FFE FFDE C1BC 0030"},
        Golden{"`+1 (c d)", "C0BC 0030 FFE0 1FFE"}, Golden{"(c d)2&e4", "C0BC 0090 FFE3 1FFE 0060 FFDF 1FFF 0030"},
        Golden{"c ()", "C1BC 0030 FFDE"}, Golden{"(o5 c >c)", "C0C8 0030 FFE2 E000"}));

INSTANTIATE_TEST_SUITE_P(
    Chords, WordsGolden,
    ::testing::Values(Golden{"'ceg'4", "FFEC C0BC 0030 C040 C043 0030 FFED"},
                      // strummed: each note 24 ticks after the last, gates 96, 72, 48
                      Golden{"'ceg'2,8", "FFEC C0BC 0060 0018 C0C0 0048 0018 C0C3 0030 0018 0018 FFED"},
                      Golden{"'ceg'2,8 'ceg'2", "FFEC C0BC 0060 0018 C0C0 0048 0018 C0C3 0030 0018 0018 FFED "
                                                "FFEC C0BC 0060 0018 C0C0 0048 0018 C0C3 0030 0018 0018 FFED"},
                      Golden{"=270,16 'ceg'2,8", "FFEC C0BC 0060 0008 C0C0 0058 0008 C0C3 0050 0008 0048 FFED"},
                      Golden{"'c o5 c'4 c", "FFEC C0BC 0030 C048 0030 FFED C13C"},
                      Golden{"'Q50 U100 c ~2 e'4", "FFEC FFEE 0032 CB64 C0BC 0030 CA02 C040 0030 FFED"},
                      Golden{"=270,1 =271,10 =273,40 'ceg'4", "FFEC CA0A C0BC 0030 CA07 C040 CA08 C043 0030 FFED"},
                      // three-point curves: the second of two notes starts at the middle point
                      Golden{"=270,10 =275,256 'ce'2,8", "FFEC C0BC 0060 000C C0C0 0054 0024 0030 FFED"},
                      Golden{"=270,5 =271,10 =272,50 =273,20 'ceg'4",
                             "FFEC CA0A C0BC 0030 CA1C C040 CA0C C043 0030 FFED"},
                      Golden{"c ''", "C1BC 0030 FFFA"},
                      // velocity changes inside a chord clamp as outside, never wrapping into the other sign
                      Golden{"c 'U^-200 c'4", "C1BC 0030 FFEC CA81 C03C 0030 FFED"},
                      Golden{"'~200 c'4", "FFEC CA7F C0BC 0030 0030 FFED"},
                      Golden{"'_&FFFFFFFF c'4", "FFEC CA81 C0BC 0030 0030 FFED"},
                      // repeated prefixes are written in text order, as the same commands outside a chord
                      Golden{"'q100 q200 c'4", "FFEC FFEE 0064 FFEE 00C8 C0BC 0030 0030 FFED"},
                      Golden{"'u50 ~5 c'4", "FFEC CB32 CA05 C0BC 0030 0030 FFED"},
                      Golden{"'~5 u50 c'4", "FFEC CA05 CB32 C0BC 0030 0030 FFED"},
                      Golden{"'u50 c ~5 e'4", "FFEC CB32 C0BC 0030 CA05 C040 0030 FFED"}));

TEST(NotesChord, AcceptsAtMost127Notes)
{
    std::string notes127(127, 'c');
    EXPECT_EQ(compileText("'" + notes127 + "'4").result, 0);
    Compiled c = compileText("'" + notes127 + "c'4");
    EXPECT_EQ(c.result, -1);
    EXPECT_EQ(c.message, "Note too many on chord in 1.");
}

} // namespace
} // namespace kvt_test
