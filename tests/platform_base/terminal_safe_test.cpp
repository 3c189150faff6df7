// Text printed on a terminal cannot carry an escape sequence.
#include "platform/terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TerminalSafe, ControlsBecomeQuestionMarks)
{
    struct SafeCase {
        const char* name;
        std::string text;
        std::string expected;
    };
    const SafeCase cases[] = {
        {"plain text", "Title 1.0", "Title 1.0"},
        {"tab kept", "a\tb", "a\tb"},
        {"title escape", "\x1b]2;OWNED\x1b\\", "?]2;OWNED?\\"},
        {"colour escape", "\x1b[31mred", "?[31mred"},
        {"carriage return and bell", "a\rb\x07", "a?b?"},
        {"line feed", "a\nb", "a?b"},
        {"NUL inside", std::string("a\0b", 3), "a?b"},
        {"DEL", "a\x7f", "a?"},
        {"C1 CSI in UTF-8",
         "a\xC2\x9B"
         "31m",
         "a?31m"},
        {"C1 CSI as a bare byte",
         "a\x9b"
         "31m",
         "a?31m"},
        {"bare 0x80 and 0x9F", "\x80\x9f", "??"},
        {"no-break space in UTF-8 kept",
         "a\xC2\xA0"
         "b",
         "a\xC2\xA0"
         "b"},
        {"Japanese kept", "\xE3\x83\x86\xE3\x82\xB9", "\xE3\x83\x86\xE3\x82\xB9"},
        {"four-byte sequence kept", "\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},
        {"Latin-1 letters kept", "caf\xE9", "caf\xE9"},
        {"Shift-JIS lead byte in C1 range replaced", "\x83\x65", "?e"},
        {"cut-off sequence", "a\xE3\x83", "a\xE3?"},
        {"overlong escape", "\xC0\x9B", "\xC0?"},
    };
    for (const SafeCase& c : cases) EXPECT_EQ(platform::terminalSafe(c.text), c.expected) << c.name;
    // A message of several lines keeps its line feeds, and only them.
    EXPECT_EQ(platform::terminalSafe("one\ntwo\r\x1b[2J", platform::LineBreaks::Keep), "one\ntwo??[2J");
}

} // namespace
