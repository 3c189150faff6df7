// Every compile message reaches the callback once, with the line on which
// the failing command began.
#include "compile_helper.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt_test {
namespace {

struct ErrorCase {
    std::string text;
    std::string message;
};

class CompileMessages : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CompileMessages, ReportsTheMessageWithItsLine)
{
    Compiled c = compileText(GetParam().text);
    EXPECT_EQ(c.result, -1);
    EXPECT_EQ(c.callbackCalls, 1);
    EXPECT_EQ(c.message, GetParam().message) << "text: «" << GetParam().text << "»";
    EXPECT_EQ(c.name, "song.kvt");
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Lexical, CompileMessages,
    ::testing::Values(ErrorCase{"c4 ,8", "Parameter too many in 1."}, ErrorCase{"c1 2", "Undefined command in 1."},
                      ErrorCase{"c\n\n)", "Undefined command in 3."}, ErrorCase{"c \x01", "Undefined command in 1."},
                      ErrorCase{"c \xE3", "Undefined command in 1."}, ErrorCase{"c\nO", "Not have enough size in 2."},
                      ErrorCase{"c\n=", "Not have enough size in 2."}, ErrorCase{"c\n=1", "Not have enough size in 2."},
                      ErrorCase{"c\n=1,", "Not have enough size in 2."}, ErrorCase{"c =x", "Missing parameter in 1."},
                      ErrorCase{"c =1 x", "Missing parameter in 1."}, ErrorCase{"c0", "Illegal parameter in 1."},
                      ErrorCase{"c4*5", "Syntax error in 1."}, ErrorCase{"c *x", "Missing parameter in 1."},
                      ErrorCase{"c *", "Not have enough size in 1."},
                      // the failing pair is two lines below the command
                      ErrorCase{"c\n\n?3{\n01\n0G}", "Syntax error in 3."},
                      ErrorCase{"c\n'c\ne\nx'", "Syntax error in 2."}, ErrorCase{"%0", "Illegal parameter in 1."},
                      ErrorCase{"%65536", "Illegal parameter in 1."}, ErrorCase{"%", "Not have enough size in 1."},
                      ErrorCase{"% c", "Missing parameter in 1."}));

INSTANTIATE_TEST_SUITE_P(
    Structure, CompileMessages,
    ::testing::Values(
        ErrorCase{"%96 / only settings", "Empty effective track."}, ErrorCase{"", "Empty effective track."},
        ErrorCase{"#256 c", "Illegal parameter in 1."}, ErrorCase{"#1-256 c", "Illegal parameter in 1."},
        ErrorCase{"[0 c |", "Loop infinitly in 1."}, ErrorCase{"[1 c ]", "Illegal parameter in 1."},
        ErrorCase{"[256 c ]", "Illegal parameter in 1."},
        ErrorCase{repeat("[", 17) + " c" + repeat("]", 17), "Loop too deep in 1."},
        ErrorCase{"c\n]", "Out of loop in 2."}, ErrorCase{"c |", "Out of loop in 1."},
        ErrorCase{"c [\nd\n", "Loop still open in 2."}, ErrorCase{"c W5", "Missing track in 1."},
        ErrorCase{"c W0", "Illegal parameter in 1."}, ErrorCase{"c W!0", "Illegal parameter in 1."},
        ErrorCase{"c W!7", "Missing track in 1."}, ErrorCase{"c W", "Not have enough size in 1."},
        ErrorCase{";" + std::string(4096, 'x'), "Meta too long in 1."}, ErrorCase{"c ?256", "Illegal parameter in 1."},
        ErrorCase{"c ?1\"" + std::string(256, 'x') + "\"", "Undefined command in 1."},
        ErrorCase{"c ?1\"" + std::string(256, 'x'), "Meta too long in 1."},
        ErrorCase{"c T0", "Illegal parameter in 1."}, ErrorCase{"c `+0", "Illegal parameter in 1."},
        ErrorCase{"c `5", "Missing parameter in 1."}, ErrorCase{"{01 02}", "Syntax error in 1."},
        ErrorCase{"{0102", "Not have enough size in 1."}, ErrorCase{"\\65536 c", "Illegal parameter in 1."},
        ErrorCase{"c*268435456", "Deltatime too long in 1."},
        // a tempo cut off by the end of the text
        ErrorCase{"c\nT", "Not have enough size in 2."}, ErrorCase{"c T120,4,", "Not have enough size in 1."},
        ErrorCase{"c T*", "Not have enough size in 1."}));

INSTANTIATE_TEST_SUITE_P(
    NotesAndEvents, CompileMessages,
    ::testing::Values(ErrorCase{"c&r", "Slur cannot continue in 1."}, ErrorCase{"c&\n[", "Slur cannot continue in 2."},
                      ErrorCase{"c&'ceg'", "Slur cannot continue in 1."},
                      ErrorCase{"c&d&", "Slur cannot continue in 1."},
                      ErrorCase{"`+1 c&d", "Slur operation impossible in 1."},
                      ErrorCase{"`+1 (c d)&e", "Slur operation impossible in 1."},
                      ErrorCase{"`+1 'ceg'", "Chord operation impossible in 1."},
                      ErrorCase{"'ceg'4,8", "Illegal parameter in 1."}, ErrorCase{"'Q5'", "Missing parameter in 1."},
                      ErrorCase{"'c x'", "Syntax error in 1."}, ErrorCase{"(c)", "Syntax error in 1."},
                      ErrorCase{"(c d e f)", "Syntax error in 1."}, ErrorCase{"U0 c", "Illegal parameter in 1."},
                      ErrorCase{"U128 c", "Illegal parameter in 1."}, ErrorCase{"U^ c", "Illegal parameter in 1."},
                      ErrorCase{"cU^", "Not have enough size in 1."}, ErrorCase{"c 'U^", "Not have enough size in 1."},
                      ErrorCase{"c 'U^x", "Illegal parameter in 1."}, ErrorCase{"Q^ c", "Missing parameter in 1."},
                      ErrorCase{"S+-!x!!! c", "Illegal parameter in 1."}, ErrorCase{"K8192", "Illegal parameter in 1."},
                      ErrorCase{"V128", "Illegal parameter in 1."}, ErrorCase{"V,4", "Illegal parameter in 1."},
                      ErrorCase{"V1,4,", "Not have enough size in 1."}, ErrorCase{"V1,4,x", "Missing parameter in 1."},
                      ErrorCase{"Y128,1", "Illegal parameter in 1."}, ErrorCase{"Y64 1", "Missing parameter in 1."},
                      ErrorCase{":16", "Illegal parameter in 1."}, ErrorCase{"@0", "Illegal parameter in 1."},
                      ErrorCase{"@129", "Illegal parameter in 1."}, ErrorCase{"I128", "Illegal parameter in 1."},
                      ErrorCase{"N1,2,3,128", "Illegal parameter in 1."},
                      ErrorCase{"J-7,+1", "Illegal parameter in 1."}, ErrorCase{"J0,+17", "Illegal parameter in 1."},
                      ErrorCase{"J0 +1", "Missing parameter in 1."}, ErrorCase{"M0,32,1", "Illegal parameter in 1."},
                      ErrorCase{"M0,1,", "Not have enough size in 1."}, ErrorCase{"$64", "Illegal parameter in 1."},
                      ErrorCase{"${F0 41}", "Syntax error in 1."}, ErrorCase{"${F041", "Syntax error in 1."},
                      ErrorCase{"${F04}", "Illegal parameter in 1."}, ErrorCase{"${F0*1}", "Illegal parameter in 1."},
                      ErrorCase{"${F04110**}", "Checksum cannot calculate in 1."},
                      ErrorCase{"${" + repeat("00", 256) + "}", "SysEx too long in 1."},
                      ErrorCase{"$1," + repeat("1,", 63), "Parameter too many in 1."},
                      ErrorCase{"c\n\n'" + repeat("c", 128) + "'", "Note too many on chord in 3."}));

} // namespace
} // namespace kvt_test
