// The terminal layer: escapes written, sizes read.
#include "platform/terminal.h"

#include "capture_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>

namespace {

using platform::Terminal;

TEST(Terminal, Escapes)
{
    struct EscapeCase {
        const char* name;
        bool (*act)(Terminal&);
        bool result;
        std::string expected;
    };
    const EscapeCase cases[] = {
        {"bytes unchanged", [](Terminal& t) { return t.write("a\tb\r\n\x1b", 6); }, true, "a\tb\r\n\x1b"},
        {"title", [](Terminal& t) { return t.setTitle("Debug Console V0.2"); }, true, "\x1b]0;Debug Console V0.2\x07"},
        {"title control bytes dropped", [](Terminal& t) { return t.setTitle("a\x07\x1b]b\x7f"); }, true,
         "\x1b]0;a]b\x07"},
        {"home", [](Terminal& t) { return t.moveTo(0, 0); }, true, "\x1b[1;1H"},
        {"column then row, one-based", [](Terminal& t) { return t.moveTo(9, 4); }, true, "\x1b[5;10H"},
        {"negative column", [](Terminal& t) { return t.moveTo(-1, 0); }, false, ""},
        {"negative row", [](Terminal& t) { return t.moveTo(0, -3); }, false, ""},
        {"right", [](Terminal& t) { return t.moveBy(1, 0); }, true, "\x1b[1C"},
        {"left", [](Terminal& t) { return t.moveBy(-12, 0); }, true, "\x1b[12D"},
        {"down", [](Terminal& t) { return t.moveBy(0, 3); }, true, "\x1b[3B"},
        {"up and right", [](Terminal& t) { return t.moveBy(2, -32768); }, true, "\x1b[2C\x1b[32768A"},
        {"no move", [](Terminal& t) { return t.moveBy(0, 0); }, true, ""},
    };
    CaptureFile capture;
    Terminal terminal;
    ASSERT_TRUE(terminal.open(capture.path().c_str()));
    for (const EscapeCase& c : cases) {
        EXPECT_EQ(c.act(terminal), c.result) << c.name;
        EXPECT_EQ(capture.take(), c.expected) << c.name;
    }
    EXPECT_EQ(terminal.rows(), Terminal::kDefaultRows) << "a file has no size";
}

TEST(Terminal, ClosedWritesNothing)
{
    CaptureFile capture;
    Terminal terminal;
    ASSERT_TRUE(terminal.open(capture.path().c_str()));
    terminal.close();
    EXPECT_FALSE(terminal.isOpen());
    EXPECT_FALSE(terminal.write("x", 1));
    EXPECT_FALSE(terminal.moveBy(1, 0));
    EXPECT_FALSE(terminal.moveTo(1, 1));
    EXPECT_FALSE(terminal.setTitle("t"));
    EXPECT_EQ(capture.take(), "");
    EXPECT_FALSE(terminal.open("/nonexistent-folder/for/tty"));
}

TEST(Terminal, RowsFromTheTerminalSize)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        GTEST_SKIP() << "no pseudo-terminals here";
    }
    winsize size{};
    size.ws_row = 41;
    size.ws_col = 100;
    ASSERT_EQ(ioctl(master, TIOCSWINSZ, &size), 0);
    Terminal terminal;
    ASSERT_TRUE(terminal.open(ptsname(master)));
    EXPECT_EQ(terminal.rows(), 41);
    ASSERT_TRUE(terminal.write("hi", 2));
    char got[8] = {};
    EXPECT_EQ(read(master, got, sizeof got), 2);
    EXPECT_STREQ(got, "hi");
    terminal.close();
    close(master);
}

} // namespace
