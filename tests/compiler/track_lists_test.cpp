// Track lists of «#», «W» and «W!»: ranges in either order, and what each
// command makes of a number left out after «-» or «,».
#include "compile_helper.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt_test {
namespace {

struct ListCase {
    const char* text;
    // The words of track index 0, or the message when compiling fails.
    const char* expected;
};

std::string outcome(const char* text)
{
    Compiled c = compileText(text);
    if (c.result != 0) return c.message;
    return hexWords(trackWords(c.image, 0));
}

class TrackLists : public ::testing::TestWithParam<ListCase> {};

TEST_P(TrackLists, ReadLikeTheirCommand)
{
    EXPECT_EQ(outcome(GetParam().text), GetParam().expected) << "text: «" << GetParam().text << "»";
}

INSTANTIATE_TEST_SUITE_P(
    LeftOutNumbers, TrackLists,
    ::testing::Values(
        // «#»: «-» alone ends the range at 0; «,» alone ends the list.
        ListCase{"#1- c", "C1BC 0030 FFFF"}, ListCase{"#2, c #0 d", "C1BE 0030 FFFF"},
        ListCase{"#1-256 c", "Illegal parameter in 1."}, ListCase{"#256 c", "Illegal parameter in 1."},
        // «W»: «,» alone resumes track 0, which here is the track itself.
        ListCase{"#0 c W1, #1 d", "Illegal parameter in 1."}, ListCase{"#0 c W1- #1 d", "Missing parameter in 1."},
        ListCase{"#0 c W3 #1 d", "Missing track in 1."},
        // «W!»: a number must follow both «-» and «,».
        ListCase{"#0 c W!1, #1 d", "Missing parameter in 1."}, ListCase{"#0 c W!1- #1 d", "Missing parameter in 1."},
        ListCase{"#0 c W!2-1 #1 d #2 e", "C1BC 0030 F202 0201 FFFF"},
        ListCase{"#0 c W!1-2,2 #1 d #2 e", "C1BC 0030 F202 0201 FFFF"}));

TEST(TrackLists, SelectionRangeWithoutEndReachesTrackZero)
{
    Compiled c = compileText("#2- c");
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.image[16], 3); // tracks 0, 1 and 2
}

TEST(TrackLists, ResumeListCommaAloneResumesTrackZero)
{
    Compiled c = compileText("#1 c W0, #0 d");
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(hexWords(trackWords(c.image, 1)), "C1BC 0030 C600 C600 FFFF");
}

} // namespace
} // namespace kvt_test
