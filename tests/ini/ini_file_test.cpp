// Profile files: integer reading, case-insensitive lookup, write-back that
// keeps the rest of the file, refused names, and writes from two threads.
#include "platform/ini_file.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

// A write that changes nothing keeps the very file (its inode); a link
// stays a link and the file it leads to takes the change.
TEST(IniFile, WritesLeaveUnchangedFilesAndLinksAlone)
{
    const auto inodeOf = [](const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const struct {
        const char* name;
        const char* linkTo; // a.ini is a link to this name, or a file when null
        const char* value;
        bool changes;
    } cases[] = {
        {"same value", nullptr, "1", false},
        {"new value", nullptr, "2", true},
        {"same value through a link", "real.ini", "1", false},
        {"new value through a link", "real.ini", "2", true},
        {"new value through a chain of links", "hop.ini", "2", true},
    };
    for (const auto& c : cases) {
        const zem_test::TempDir dir;
        dir.write("real.ini", "[A]\nk=1\n");
        ASSERT_EQ(::symlink("real.ini", dir.file("hop.ini").c_str()), 0);
        const std::string path = dir.file("a.ini");
        if (c.linkTo) {
            ASSERT_EQ(::symlink(c.linkTo, path.c_str()), 0);
        } else {
            dir.write("a.ini", "[A]\nk=1\n");
        }
        const std::string file = c.linkTo ? dir.file("real.ini") : path;
        const ino_t before = inodeOf(file);
        EXPECT_TRUE(platform::IniFile(path).write("A", "k", c.value)) << c.name;
        EXPECT_EQ(inodeOf(file) != before, c.changes) << c.name;
        EXPECT_EQ(dir.read(c.linkTo ? "real.ini" : "a.ini"), std::string("[A]\nk=") + c.value + "\n") << c.name;
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_EQ(S_ISLNK(info.st_mode), c.linkTo != nullptr) << c.name << ": the link was replaced";
    }
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
