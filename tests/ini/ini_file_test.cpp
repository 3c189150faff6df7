// Profile files: integer reading, case-insensitive lookup, write-back that
// keeps the rest of the file, refused names, and writes from two threads.
#include "platform/ini_file.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(IniFile, ReadsIntegersLikeTheProfileCalls)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"12", 12},   {"  -5", -5},       {"+7", 7},         {"0x1F", 31}, {"0X1f", 31},
        {"0o17", 15}, {"0b101", 5},       {"12abc", 12},     {"abc", 0},   {"-", 0},
        {"0x", 0},    {"4294967295", -1}, {"4294967296", 0}, {"1 2", 1},   {"08", 8},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::parseProfileInt(c.text), c.value) << c.text;
}

TEST(IniFile, FindsSectionsAndKeysInAnyCase)
{
    const zem_test::TempDir dir;
    dir.write("a.ini", "; comment=1\r\n[Dev]\r\nMIDIDevs = 3 \r\nWAVE00=\"Quoted Name\"\r\nempty=\r\n"
                       "[dev2]\nMIDIDevs=9\n[ ZEMC ]\nSwitch='7'\nnot an entry\n");
    const platform::IniFile ini(dir.file("a.ini"));
    const struct {
        const char* section;
        const char* key;
        const char* text; // nullptr: missing
        int number;       // with fallback -1
    } cases[] = {
        {"Dev", "MIDIDevs", "3", 3},         {"DEV", "mididevs", "3", 3},  {"dev2", "MIDIDevs", "9", 9},
        {"Dev", "WAVE00", "Quoted Name", 0}, {"Dev", "empty", "", -1},     {"zemc", "SWITCH", "7", 7},
        {"Dev", "Switch", nullptr, -1},      {"Plug", "WAV", nullptr, -1}, {"", "comment", nullptr, -1},
    };
    for (const auto& c : cases) {
        const auto text = ini.readText(c.section, c.key);
        EXPECT_EQ(text.has_value(), c.text != nullptr) << c.section << "/" << c.key;
        if (text && c.text) EXPECT_EQ(*text, c.text) << c.section << "/" << c.key;
        EXPECT_EQ(ini.readInt(c.section, c.key, -1), c.number) << c.section << "/" << c.key;
    }
    EXPECT_FALSE(platform::IniFile(dir.file("missing.ini")).readText("Dev", "MIDIDevs"));
}

TEST(IniFile, CutsLongValuesToTheBuffer)
{
    const zem_test::TempDir dir;
    dir.write("a.ini", "[s]\nk=" + std::string(5000, 'x') + "\n");
    EXPECT_EQ(platform::IniFile(dir.file("a.ini")).readText("s", "k")->size(), platform::kIniValueBuffer - 1);
}

TEST(IniFile, WritesKeepTheRestOfTheFile)
{
    const struct {
        const char* name;
        const char* before; // nullptr: no file
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        {"new file", nullptr, "Dev", "MIDIDevs", "16", "[Dev]\nMIDIDevs=16\n"},
        {"replace keeps spelling", "[dev]\nMidiDevs = 3\nX=1\n", "DEV", "MIDIDEVS", "4", "[dev]\nMidiDevs=4\nX=1\n"},
        {"new key before blank lines", "[A]\nx=1\n\n[B]\ny=2\n", "a", "z", "3", "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
        {"new section at the end", "; top\n[A]\nx=1\n", "B", "y", "", "; top\n[A]\nx=1\n\n[B]\ny=\n"},
        {"comments and CRLF", "[A]\r\n;x=9\r\nx=1\r\n", "A", "x", "2", "[A]\n;x=9\nx=2\n"},
    };
    for (const auto& c : cases) {
        const zem_test::TempDir dir;
        if (c.before) dir.write("a.ini", c.before);
        platform::IniFile ini(dir.file("a.ini"));
        EXPECT_TRUE(ini.write(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(dir.read("a.ini"), c.after) << c.name;
        EXPECT_EQ(dir.listing(), std::vector<std::string>{"a.ini"}) << c.name << ": a temporary file was left";
    }
}

TEST(IniFile, RefusesNamesThatWouldBreakTheFile)
{
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"A]B", "k", "v"},    {"A\nB", "k", "v"}, {"A", "k=j", "v"}, {"A", "k\n", "v"},
        {"A", "k", "v\nw=1"}, {"", "k", "v"},     {"A", "", "v"},
    };
    for (const auto& c : cases) {
        const zem_test::TempDir dir;
        dir.write("a.ini", "[A]\nk=old\n");
        EXPECT_FALSE(platform::IniFile(dir.file("a.ini")).write(c.section, c.key, c.value)) << c.key;
        EXPECT_EQ(dir.read("a.ini"), "[A]\nk=old\n") << c.key;
    }
}

TEST(IniFile, SeveralKeysInOneWriteAllOrNone)
{
    const zem_test::TempDir dir;
    dir.write("a.ini", "[A]\nk=old\n");
    platform::IniFile ini(dir.file("a.ini"));
    EXPECT_FALSE(ini.write({{"A", "k", "new"}, {"B", "bad=key", "v"}}));
    EXPECT_EQ(dir.read("a.ini"), "[A]\nk=old\n");
    EXPECT_TRUE(ini.write({{"A", "k", "new"}, {"B", "x", "1"}, {"a", "y", "2"}}));
    EXPECT_EQ(dir.read("a.ini"), "[A]\nk=new\ny=2\n\n[B]\nx=1\n");
}

TEST(IniFile, WritesFromTwoThreadsAreAllKept)
{
    const zem_test::TempDir dir;
    const std::string path = dir.file("a.ini");
    const auto writer = [&](const char* section) {
        platform::IniFile ini(path);
        for (int i = 0; i < 50; ++i) ini.write(section, "k" + std::to_string(i), std::to_string(i));
    };
    std::thread first(writer, "One"), second(writer, "Two");
    first.join();
    second.join();
    const platform::IniFile ini(path);
    for (const char* section : {"One", "Two"})
        for (int i = 0; i < 50; ++i) EXPECT_EQ(ini.readInt(section, "k" + std::to_string(i), -1), i) << section << i;
}

} // namespace
