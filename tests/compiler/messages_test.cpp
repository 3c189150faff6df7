// Every compile message reaches the callback once, with the line on which
// the failing command began.
#include "compile_helper.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace kvt_test {
namespace {

struct ErrorCase {
    std::string text;
    std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

// The texts that must each fail with the same message.
struct SameMessage {
    std::string message;
    std::vector<std::string> texts;
};

std::vector<ErrorCase> casesOf(const std::vector<SameMessage>& groups)
{
    std::vector<ErrorCase> cases;
    for (const SameMessage& g : groups)
        for (const std::string& text : g.texts) cases.push_back({text, g.message});
    return cases;
}

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

INSTANTIATE_TEST_SUITE_P(Lexical, CompileMessages,
                         ::testing::ValuesIn(casesOf({
                             {"Parameter too many in 1.", {"c4 ,8"}},
                             {"Undefined command in 1.", {"c1 2", "c \x01", "c \xE3"}},
                             {"Undefined command in 3.", {"c\n\n)"}},
                             {"Not have enough size in 2.", {"c\nO", "c\n=", "c\n=1", "c\n=1,"}},
                             {"Not have enough size in 1.", {"c *", "%"}},
                             {"Missing parameter in 1.", {"c =x", "c =1 x", "c *x", "% c"}},
                             {"Illegal parameter in 1.", {"c0", "%0", "%65536"}},
                             {"Syntax error in 1.", {"c4*5"}},
                             // the failing pair is two lines below the command
                             {"Syntax error in 3.", {"c\n\n?3{\n01\n0G}"}},
                             {"Syntax error in 2.", {"c\n'c\ne\nx'"}},
                         })));

INSTANTIATE_TEST_SUITE_P(
    Structure, CompileMessages,
    ::testing::ValuesIn(casesOf({
        {"Empty effective track.", {"%96 / only settings", ""}},
        {"Illegal parameter in 1.",
         {"#256 c", "#1-256 c", "[1 c ]", "[256 c ]", "c W0", "c W!0", "c ?256", "c T0", "c `+0", "\\65536 c"}},
        {"Loop infinitly in 1.", {"[0 c |"}},
        {"Loop too deep in 1.", {repeat("[", 17) + " c" + repeat("]", 17)}},
        {"Out of loop in 2.", {"c\n]"}},
        {"Out of loop in 1.", {"c |"}},
        {"Loop still open in 2.", {"c [\nd\n"}},
        {"Missing track in 1.", {"c W5", "c W!7"}},
        {"Missing parameter in 1.", {"c `5"}},
        {"Syntax error in 1.", {"{01 02}"}},
        // the last two are tempos cut off by the end of the text
        {"Not have enough size in 1.", {"c W", "{0102", "c T120,4,", "c T*"}},
        {"Not have enough size in 2.", {"c\nT"}},
        {"Meta too long in 1.", {";" + std::string(4096, 'x'), "c ?1\"" + std::string(256, 'x')}},
        {"Undefined command in 1.", {"c ?1\"" + std::string(256, 'x') + "\""}},
        {"Deltatime too long in 1.", {"c*268435456"}},
    })));

INSTANTIATE_TEST_SUITE_P(NotesAndEvents, CompileMessages,
                         ::testing::ValuesIn(casesOf({
                             {"Slur cannot continue in 1.", {"c&r", "c&'ceg'", "c&d&"}},
                             {"Slur cannot continue in 2.", {"c&\n["}},
                             {"Slur operation impossible in 1.", {"`+1 c&d", "`+1 (c d)&e"}},
                             {"Chord operation impossible in 1.", {"`+1 'ceg'"}},
                             {"Illegal parameter in 1.",
                              {"'ceg'4,8",   "U0 c",   "U128 c", "U^ c",    "c 'U^x", "S+-!x!!! c", "K8192",
                               "V128",       "V,4",    "Y128,1", ":16",     "@0",     "@129",       "I128",
                               "N1,2,3,128", "J-7,+1", "J0,+17", "M0,32,1", "$64",    "${F04}",     "${F0*1}"}},
                             {"Missing parameter in 1.", {"'Q5'", "Q^ c", "V1,4,x", "Y64 1", "J0 +1"}},
                             {"Syntax error in 1.", {"'c x'", "(c)", "(c d e f)", "${F0 41}", "${F041"}},
                             {"Not have enough size in 1.", {"cU^", "c 'U^", "V1,4,", "M0,1,"}},
                             {"Checksum cannot calculate in 1.", {"${F04110**}"}},
                             {"SysEx too long in 1.", {"${" + repeat("00", 256) + "}"}},
                             {"Parameter too many in 1.", {"$1," + repeat("1,", 63)}},
                             {"Note too many on chord in 3.", {"c\n\n'" + repeat("c", 128) + "'"}},
                         })));

} // namespace
} // namespace kvt_test
