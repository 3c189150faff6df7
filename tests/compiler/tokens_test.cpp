// The public token split and the place of a failing command, as editors
// and score views use them.
#include "kvt/check.h"
#include "kvt/command_help.h"
#include "kvt/tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvt {
namespace {

// One token as "kind:text:command", e.g. "N:c+:C".
std::string describe(const std::string& text, const Token& t)
{
    static const char kKinds[] = "CNRLn/THpU";
    return std::string(1, kKinds[static_cast<int>(t.kind)]) + ":" + text.substr(t.offset, t.length) + ":" +
           static_cast<char>(t.command == 0 ? '0' : t.command);
}

std::vector<std::string> split(const std::string& text)
{
    std::vector<Token> tokens;
    tokenize(reinterpret_cast<const uint8_t*>(text.data()), text.size(), tokens);
    std::vector<std::string> out;
    for (const Token& t : tokens) out.push_back(describe(text, t));
    return out;
}

struct SplitCase {
    const char* text;
    std::vector<std::string> tokens;
};

TEST(Tokens, EachByteGetsTheKindAndCommandItBelongsTo)
{
    const SplitCase cases[] = {
        {"c+4.&d", {"N:c+:C", "L:4.:C", "p:&:C", "N:d:D"}},
        {"r2^8 l**1.5", {"R:r:R", "L:2^8:R", "C:l:L", "L:**1.5:L"}},
        {"V&7F,4,.101", {"C:V:V", "n:&7F:V", "p:,:V", "n:4:V", "p:,:V", "n:.101:V"}},
        {"t120.5 o-1", {"C:t:T", "n:120.5:T", "C:o:O", "n:-1:O"}},
        {"'ceg'2,8", {"C:':'", "N:c:C", "N:e:E", "N:g:G", "C:':'", "L:2:'", "p:,:'", "L:8:'"}},
        {"'cQ50e'", {"C:':'", "N:c:C", "C:Q:Q", "n:50:Q", "N:e:E", "C:':'"}},
        {"(c >g)4&", {"C:(:(", "N:c:C", "C:>:>", "N:g:G", "C:):(", "L:4:(", "p:&:("}},
        {"/ c d\ne", {"/:/ c d:/", "N:e:E"}},
        {";Verse 2\nc", {"C:;:;", "T:Verse 2:;", "N:c:C"}},
        {"?3\"A\nB\" ${F0 7E}", {"C:?:?", "n:3:?", "T:\"A\nB\":?", "C:$:$", "H:{F0 7E}:$"}},
        {"{0102}#1,3-5", {"H:{0102}:{", "C:#:#", "n:1:#", "p:,:#", "n:3:#", "n:-5:#"}},
        {"[3 c | d ]", {"C:[:[", "n:3:[", "N:c:C", "C:|:|", "N:d:D", "C:]:]"}},
        {"c \x01\xC3\xA9!", {"N:c:C", "U:\x01:0", "U:\xC3\xA9:0", "p:!:0"}},
        {"{01", {"H:{01:{"}},
    };
    for (const SplitCase& k : cases) EXPECT_EQ(split(k.text), k.tokens) << k.text;
}

TEST(Tokens, LinesAndColumnsFollowLineFeedsInsideTokens)
{
    const std::string text = "?1\"a\nb\" c\n  d";
    std::vector<Token> tokens;
    tokenize(reinterpret_cast<const uint8_t*>(text.data()), text.size(), tokens);
    ASSERT_EQ(tokens.size(), 5u);
    const uint32_t expected[][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {2, 2}};
    for (size_t i = 0; i < tokens.size(); ++i) {
        EXPECT_EQ(tokens[i].line, expected[i][0]) << i;
        EXPECT_EQ(tokens[i].column, expected[i][1]) << i;
    }
}

struct CheckCase {
    const char* text;
    uint16_t mask;
    const char* message;
    uint32_t line;
    uint32_t column;
};

TEST(Check, TheMessageNamesItsLineAndTheCommandsColumn)
{
    const CheckCase cases[] = {
        {"c d e", 0, "", 0, 0},
        {"c\n  \tv200", 0, "Illegal parameter in 2.", 2, 4},
        {"c4 ,8", 0, "Parameter too many in 1.", 1, 4},
        {"#1 c\n[3 d\n  e", 0, "Loop still open in 3.", 3, 3},
        {"c1 2", 0, "Undefined command in 1.", 1, 4},
        {"c&\n\n r", 0, "Slur cannot continue in 3.", 3, 2},
        // The error lies in text that only switch 1 lets through.
        {"c\n\\1 v999", 1, "Illegal parameter in 2.", 2, 4},
        {"c\n\\1 v999", 0, "", 0, 0},
        {"/ nothing", 0, "Empty effective track.", 0, 0},
        {"c\n#1\nt", 0, "Not have enough size in 3.", 3, 1},
    };
    for (const CheckCase& k : cases) {
        const CheckResult r =
            checkText(reinterpret_cast<const uint8_t*>(k.text), static_cast<uint32_t>(strlen(k.text)), k.mask);
        EXPECT_EQ(r.ok, k.message[0] == '\0') << k.text;
        EXPECT_EQ(r.message, k.message) << k.text;
        EXPECT_EQ(r.line, k.line) << k.text;
        EXPECT_EQ(r.column, k.column) << k.text;
    }
}

TEST(CommandHelp, EveryCommandCharacterHasOneEntryAndUnknownOnesNone)
{
    // The command characters of the language, in both cases for letters.
    const std::string commands = "#%;=?HTW[]|\\`{ABCDEFGRLO<>SU~_Q'(:@INPVXYKZJM$/";
    for (char c : commands) {
        const CommandHelp* h = commandHelp(static_cast<uint8_t>(c));
        ASSERT_NE(h, nullptr) << c;
        EXPECT_NE(std::string(h->characters).find(c), std::string::npos);
        EXPECT_EQ(commandHelp(static_cast<uint8_t>(std::tolower(c))), h) << c;
    }
    for (char c : std::string("0,+-!^*.&)}\"\x01\x7f")) EXPECT_EQ(commandHelp(static_cast<uint8_t>(c)), nullptr) << c;
    size_t covered = 0;
    for (const CommandHelp& h : allCommandHelp()) covered += strlen(h.characters);
    EXPECT_EQ(covered, commands.size()) << "each character in exactly one entry";
}

} // namespace
} // namespace kvt
