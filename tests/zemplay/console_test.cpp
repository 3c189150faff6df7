// zemplay's command line and its status line.
#include "zemplay/command_line.h"
#include "zemplay/status_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ZemplayConsole, CommandLine)
{
    const struct {
        std::vector<const char*> args;
        bool ok;
        console::Action action;
        uint16_t switches;
        const char* port;
        uint32_t loops;
        const char* file;
        const char* error;
    } cases[] = {
        {{"song.kvt"}, true, console::Action::Play, 0, "", 2, "song.kvt", ""},
        {{"-F", "&1F", "-p", "3", "-L", "5", "a.zem"}, true, console::Action::Play, 0x1F, "3", 5, "a.zem", ""},
        {{"-F.101", "-pMy Port", "-L0", "a"}, true, console::Action::Play, 5, "My Port", 0, "a", ""},
        {{"-F", "-3", "a"}, true, console::Action::Play, 0xFFFD, "", 2, "a", ""},
        {{"--list"}, true, console::Action::List, 0, "", 2, "", ""},
        {{"a", "--help"}, true, console::Action::Help, 0, "", 2, "", ""},
        {{"--version"}, true, console::Action::Version, 0, "", 2, "", ""},
        {{}, false, console::Action::Play, 0, "", 0, "", "no file"},
        {{"a", "b"}, false, console::Action::Play, 0, "", 0, "", "one file only"},
        {{"-L"}, false, console::Action::Play, 0, "", 0, "", "-L needs a value"},
        {{"-L", "-1", "a"}, false, console::Action::Play, 0, "", 0, "", "illegal loop count: -1"},
        {{"-L", "9999999999", "a"}, false, console::Action::Play, 0, "", 0, "", "illegal loop count: 9999999999"},
        {{"-F", "1x", "a"}, false, console::Action::Play, 0, "", 0, "", "illegal switches: 1x"},
        {{"-q", "1", "a"}, false, console::Action::Play, 0, "", 0, "", "unknown option -q"},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("zemplay")};
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        std::string error;
        const auto line = console::parseCommandLine(int(argv.size()), argv.data(), &error);
        ASSERT_EQ(line.has_value(), c.ok) << error;
        if (!line) {
            EXPECT_EQ(error, c.error);
            continue;
        }
        EXPECT_EQ(line->action, c.action);
        if (line->action != console::Action::Play && line->action != console::Action::List) continue;
        EXPECT_EQ(line->switches, c.switches) << c.file;
        EXPECT_EQ(line->port, c.port) << c.file;
        EXPECT_EQ(line->loops, c.loops) << c.file;
        EXPECT_EQ(line->file, c.file);
    }
}

TEST(ZemplayConsole, StatusLine)
{
    frontend::Snapshot s;
    s.state = frontend::PlayerState::Playing;
    s.time = "1:02.50";
    s.loop = "1";
    s.tempo = "95.50";
    s.bar = 12;
    s.beat = 3;
    s.title.text = "Harbour \xE3\x81\x82 Lanterns";
    EXPECT_EQ(console::statusLine(s, 0), "  1:02.50  loop 1  95.50 BPM  12:3  Harbour \xE3\x81\x82 Lanterns");
    EXPECT_EQ(console::statusLine(s, 40), "  1:02.50  loop 1  95.50 BPM  12:3  Harb");
    EXPECT_EQ(console::statusLine(s, 45), "  1:02.50  loop 1  95.50 BPM  12:3  Harbour \xE3\x81\x82");
    s.state = frontend::PlayerState::Paused;
    s.bar = 0;
    s.beat = 0;
    s.title.text.clear();
    EXPECT_EQ(console::statusLine(s, 0), "  1:02.50  loop 1  95.50 BPM  0:0  (paused)");
    // A title cannot set the terminal's title or colours.
    s.title.text = "\x1b]2;OWNED\x1b\\\x9b"
                   "31mX";
    EXPECT_EQ(console::statusLine(s, 0), "  1:02.50  loop 1  95.50 BPM  0:0  (paused)  ?]2;OWNED?\\?31mX");
}

} // namespace
