// Words written by channel and port, program, bank, parameter numbers,
// controllers, pitch bend, pressures, modulators, macros and exclusive
// messages.
#include "golden_words.h"

#include <gtest/gtest.h>

namespace kvt_test {
namespace {

INSTANTIATE_TEST_SUITE_P(
    Controllers, WordsGolden,
    ::testing::Values(Golden{"V100", "43E4"}, Golden{"V", "C807"}, Golden{"V!", "C887"}, Golden{"V!5", "C887 4385"},
                      Golden{"V^-5", "FFE8 07FB"}, Golden{"P64", "4540"}, Golden{"X127", "45FF"},
                      // a slide after a 48-tick note needs no length; with last length 0 it does
                      Golden{"c V0,4,100", "C1BC 0030 C514 0700 0064"}, Golden{"V0,4,100", "C51C 0700 0064 0030"},
                      Golden{"V^2,4,^-1", "C51F 0702 00FF 0030"}, Golden{"`+1 V0,4", "C508 0700 0030"},
                      Golden{"Y64,127", "607F"}, Golden{"Yc,10", "5E0A"}, Golden{"Y7,1 Y,2", "4381 4382"},
                      Golden{"I1,2", "4001 5002"}, Golden{"I,2", "5002"}, Golden{"I5", "4005"},
                      Golden{"N1,2,3,4", "7181 7102 4303 5304"}, Golden{"N,,3", "4303"},
                      Golden{"`+3 N1,2", "7281 7202"}, Golden{":1,2 c", "C221 C1BC 0030"},
                      Golden{":3 c", "C203 C1BC 0030"}, Golden{":,5 :2 c", "C250 C252 C1BC 0030"}, Golden{"@1", "C300"},
                      Golden{"@128", "C37F"}, Golden{"`+6 @0", "C300"}));

INSTANTIATE_TEST_SUITE_P(
    BendAndPressure, WordsGolden,
    ::testing::Values(Golden{"K-8192", "8000"}, Golden{"K8191", "BFFF"}, Golden{"K0", "A000"},
                      Golden{"K^100", "FFE9 0064"}, Golden{"K", "FFF4"}, Golden{"K!", "FFF5"},
                      Golden{"K100,4", "C558 0064 0030"}, Golden{"K-1,4,^2", "C55E FFFF 0002 0030"},
                      Golden{"Z100", "C3E4"}, Golden{"Z^5", "FFEB 0005"}, Golden{"Z", "FFF6"}, Golden{"Z!", "FFF7"},
                      Golden{"Z10,4,20", "C5DC 140A 0030"}, Golden{"Z10,4", "C5D8 000A 0030"},
                      Golden{"Zc100 Zc100", "C4E4 003C C464"}, Golden{"Zc100 Zd100", "C4E4 003C C4E4 003E"},
                      Golden{"Zc100 [ Zc100 ]", "C4E4 003C CC02 C4E4 003C FFFC"}, Golden{"Zc^5", "FFEA 3C05"},
                      Golden{"Zc", "C93C"}, Golden{"Zc!", "C93C"}, Golden{"Zc10,4", "C598 3C0A 0030"}));

INSTANTIATE_TEST_SUITE_P(ModulatorsAndMacros, WordsGolden,
                         ::testing::Values(Golden{"J-1,+1", "FFFB 20FF"}, Golden{"J7,+1-16", "FFFB 2007 FFFB 0F07"},
                                           Golden{"J-1,+1 J,-2", "FFFB 20FF FFFB 01FF"},
                                           Golden{"M-1,3,100", "23FF 0064"},
                                           Golden{"M10,3,-1 M,,5", "230A FFFF 230A 0005"},
                                           Golden{"$7\"ABC\"", "D0C7 4241 0043"}, Golden{"$1,2,3", "D081 0302"},
                                           Golden{"$1,2,3,4", "D0C1 0302 0004"}, Golden{"$2{0A 0b}", "D082 0B0A"},
                                           Golden{"$0", "D000"}, Golden{"$45,1", "D06D 0001"},
                                           // checksum of 40 00 7F 00 is 41
                                           Golden{"${F04110421240007F00**F7}", "C70B 41F0 4210 4012 7F00 4100 00F7"},
                                           Golden{"${F0414243444546**F7}", "C709 41F0 4342 4544 7546 00F7"},
                                           Golden{"${f07e}", "C702 7EF0"}));

} // namespace
} // namespace kvt_test
