// The debug console, observed through the bytes it writes to a file named
// by ZEM_TRACECON_TTY.
#include "tracecon.h"

#include "capture_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const std::string kTitle = "\x1b]0;Debug Console V0.2\x07";

std::string clearBytes(int rows)
{
    std::string bytes = "\x1b[" + std::to_string(rows) + ";1H";
    for (int i = 0; i < rows; ++i) {
        bytes += "\r\n";
    }
    return bytes + "\x1b[1;1H";
}

class Console : public ::testing::Test {
protected:
    void SetUp() override { setenv("ZEM_TRACECON_TTY", capture_.path().c_str(), 1); }
    void TearDown() override { unsetenv("ZEM_TRACECON_TTY"); }
    CaptureFile capture_;
};

TEST_F(Console, Calls)
{
    struct CallCase {
        const char* name;
        int (*act)();
        int result;
        std::string expected;
    };
    const CallCase cases[] = {
        {"cls before open",
         [] {
             con_cls();
             return 0;
         },
         0, ""},
        {"putstr before open", [] { return con_putstr("lost"); }, 0, ""},
        {"locate before open", [] { return con_locate(1, 1, 0); }, 0, ""},
        {"open sets the title",
         [] {
             con_open();
             return 0;
         },
         0, kTitle},
        {"putstr", [] { return con_putstr("line\r\n"); }, 1, "line\r\n"},
        {"putstr null", [] { return con_putstr(nullptr); }, 0, ""},
        {"putstr empty", [] { return con_putstr(""); }, 1, ""},
        {"locate absolute", [] { return con_locate(3, 2, 0); }, 1, "\x1b[3;4H"},
        {"locate relative right", [] { return con_locate(1, 0, 1); }, 1, "\x1b[1C"},
        {"locate relative up left", [] { return con_locate(-4, -1, 7); }, 1, "\x1b[4D\x1b[1A"},
        {"locate takes 16 bits", [] { return con_locate(65536 + 5, 65536 + 1, 0); }, 1, "\x1b[2;6H"},
        {"locate negative absolute", [] { return con_locate(-1, 0, 0); }, 0, ""},
        {"printf truncates to size - 1",
         [] {
             _con_printf(8, "%s-%d", "abcdef", 12345);
             return 0;
         },
         0, "abcdef-"},
        {"printf fits",
         [] {
             _con_printf(64, "%d:%s", 42, "ok");
             return 0;
         },
         0, "42:ok"},
        {"printf size 0",
         [] {
             _con_printf(0, "%s", "nothing");
             return 0;
         },
         0, ""},
        {"printf size 1",
         [] {
             _con_printf(1, "%s", "nothing");
             return 0;
         },
         0, ""},
        {"printf null format",
         [] {
             _con_printf(16, nullptr);
             return 0;
         },
         0, ""},
        {"cls scrolls the rows out",
         [] {
             con_cls();
             return 0;
         },
         0, clearBytes(24)},
        {"close",
         [] {
             con_close();
             return 0;
         },
         0, ""},
        {"putstr after close", [] { return con_putstr("lost"); }, 0, ""},
        {"cls after close",
         [] {
             con_cls();
             return 0;
         },
         0, ""},
    };
    for (const CallCase& c : cases) {
        EXPECT_EQ(c.act(), c.result) << c.name;
        EXPECT_EQ(capture_.take(), c.expected) << c.name;
    }
}

TEST_F(Console, OpensNest)
{
    con_open();
    con_open();
    EXPECT_EQ(capture_.take(), kTitle) << "only the first open takes the terminal";
    con_close();
    EXPECT_EQ(con_putstr("still open"), 1);
    EXPECT_EQ(capture_.take(), "still open");
    con_close();
    EXPECT_EQ(con_putstr("closed"), 0);
    EXPECT_EQ(capture_.take(), "");
}

TEST_F(Console, UnmatchedCloseIsIgnored)
{
    con_close();
    con_close();
    // Had the count gone below 0, this open would not take the terminal.
    con_open();
    EXPECT_EQ(con_putstr("x"), 1);
    EXPECT_EQ(capture_.take(), kTitle + "x");
    con_close();
    EXPECT_EQ(con_putstr("y"), 0);
}

TEST_F(Console, OpenWithoutTerminalStillCounts)
{
    setenv("ZEM_TRACECON_TTY", "/nonexistent-folder/tty", 1);
    con_open();
    EXPECT_EQ(con_putstr("x"), 0);
    con_cls();
    // The failed open was counted: this one shares it and takes nothing.
    setenv("ZEM_TRACECON_TTY", capture_.path().c_str(), 1);
    con_open();
    EXPECT_EQ(con_putstr("x"), 0);
    con_close();
    con_close();
    con_open();
    EXPECT_EQ(con_putstr("z"), 1);
    con_close();
    EXPECT_EQ(capture_.take(), kTitle + "z");
}

} // namespace
