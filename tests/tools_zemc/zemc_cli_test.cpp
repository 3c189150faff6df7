// zemc and zemcw run for real in a temporary folder: switches, output names,
// backups of replaced outputs, messages and exit codes.
#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using zem_test::runProgram;
using zem_test::TempDir;
using zem_test::withPath;

const std::string kTitle = "ZEMC for Win32 \xE4\xB9\x99\xE6\x88\x8C\xE6\x96\x87\xE6\x9C\x88\xE7\x89\x88";
// Track 0 holds «c»; the «d» line counts only when condition bit 0 is set.
const std::string kConditional = "c\n\\1 d\n";

zem_test::RunResult zemc(const TempDir& dir, const std::vector<std::string>& args)
{
    return runProgram("zemc", args, dir.path());
}

zem_test::RunResult zemcw(const TempDir& dir, const std::vector<std::string>& args)
{
    return runProgram("zemcw", args, dir.path(), {"DISPLAY=", "WAYLAND_DISPLAY="});
}

TEST(ZemcCli, OutputNamesAndSwitches)
{
    struct Case {
        std::vector<std::string> sources; // written as kConditional
        std::vector<std::string> args;
        std::vector<std::string> listing; // the folder afterwards
    };
    const std::vector<Case> cases = {
        {{"song.kvt"}, {"song"}, {"song.ZEM", "song.kvt"}},
        {{"Tune.KVT"}, {"tune"}, {"Tune.KVT", "Tune.ZEM"}},
        {{"a.kvt", "b.kvt"}, {"-S.bin", "a.kvt", "-F1", "b.kvt"}, {"a.bin", "a.kvt", "b.bin", "b.kvt"}},
        {{"a.kvt"}, {"-F1-S.x", "a.kvt"}, {"a.kvt", "a.x"}},
        {{"a.kvt"}, {"-S", "a.kvt"}, {"a", "a.kvt"}},
        {{"v1.2.kvt"}, {"v1.2.kvt"}, {"v1.2.ZEM", "v1.2.kvt"}},
        {{"a.kvt"}, {"-F1"}, {"a.kvt"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const std::string& name : c.sources) dir.write(name, kConditional);
        const auto result = zemc(dir, c.args);
        EXPECT_EQ(result.status, 0) << c.args[0] << "\n" << result.err;
        EXPECT_EQ(dir.listing(), c.listing) << c.args[0];
    }
}

TEST(ZemcCli, ConditionFlagsReachTheCompiler)
{
    struct Case {
        std::vector<std::string> args;
        size_t imageSize; // «c» alone, or «c» and «d»
    };
    const std::vector<Case> cases = {
        {{"a.kvt"}, 54},         {{"-F1", "a.kvt"}, 56},  {{"-F.11", "a.kvt"}, 56},
        {{"-F&2", "a.kvt"}, 54}, {{"-F-1", "a.kvt"}, 56}, {{"-Fx", "a.kvt"}, 54},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("a.kvt", kConditional);
        const auto result = zemc(dir, c.args);
        EXPECT_EQ(result.status, 0) << c.args[0];
        EXPECT_EQ(dir.read("a.ZEM").size(), c.imageSize) << c.args[0];
    }
}

TEST(ZemcCli, AbsoluteSourcePath)
{
    TempDir dir, elsewhere;
    dir.write("song.kvt", "c");
    const auto result = zemc(elsewhere, {dir.file("song.kvt")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(dir.exists("song.ZEM"));
    EXPECT_TRUE(elsewhere.listing().empty());
}

TEST(ZemcCli, ReplacedOutputsAreKeptAsBackups)
{
    TempDir dir;
    dir.write("song.kvt", "c");
    ASSERT_EQ(zemc(dir, {"song"}).status, 0);
    // A read-only output written in the last second of a leap day.
    ASSERT_TRUE(zem_test::setLocalMtime(dir.file("song.ZEM"), 2024, 2, 29, 23, 59, 59));
    chmod(dir.file("song.ZEM").c_str(), 0444);
    ASSERT_EQ(zemc(dir, {"song"}).status, 0);
    // Same time again: the first candidate name is taken, so the next second is used.
    ASSERT_TRUE(zem_test::setLocalMtime(dir.file("song.ZEM"), 2024, 2, 29, 23, 59, 59));
    ASSERT_EQ(zemc(dir, {"song"}).status, 0);
    EXPECT_EQ(dir.listing(),
              (std::vector<std::string>{"song.ZEM", "song.kvt", "song_20240229235959.ZEM", "song_20240301000000.ZEM"}));
    EXPECT_EQ(dir.read("song_20240229235959.ZEM"), dir.read("song.ZEM"));
}

TEST(ZemcCli, NoExistingFileIsLost)
{
    struct Case {
        std::string name;
        std::vector<std::string> args;
        bool folder;     // "a.zem" is a folder instead of a file
        std::string err; // "@" stands for the folder's path
        std::vector<std::string> listing;
    };
    const std::vector<Case> cases = {
        {"an output in another letter case is kept", {"a.kvt"}, false, "", {"a.kvt", "a.zem", "a_20240229235959.zem"}},
        {"an output that is the source",
         {"-S.KVT", "a.kvt"},
         false,
         "@/a.kvt: File cannot write\n",
         {"a.kvt", "a.zem"}},
        {"the source by its own name", {"-S.kvt", "a.kvt"}, false, "@/a.kvt: File cannot write\n", {"a.kvt", "a.zem"}},
        {"a folder with the output's name", {"a.kvt"}, true, "@/a.zem: File cannot write\n", {"a.kvt", "a.zem"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("a.kvt", "c");
        if (c.folder) {
            ASSERT_EQ(mkdir(dir.file("a.zem").c_str(), 0755), 0);
        } else {
            dir.write("a.zem", "precious");
            ASSERT_TRUE(zem_test::setLocalMtime(dir.file("a.zem"), 2024, 2, 29, 23, 59, 59));
        }
        const auto result = zemc(dir, c.args);
        const std::string err = withPath(c.err, dir.path());
        EXPECT_EQ(result.err, err) << c.name;
        EXPECT_EQ(result.status, err.empty() ? 0 : 1) << c.name;
        EXPECT_EQ(dir.listing(), c.listing) << c.name;
        EXPECT_EQ(dir.read("a.kvt"), "c") << c.name;
        if (!c.folder) {
            EXPECT_EQ(dir.read(c.listing.back()), "precious") << c.name;
        }
    }
}

// A compile that fails, or has nothing to compile, leaves the image there
// untouched: no backup, no partial image, no temporary file.
TEST(ZemcCli, FailedCompileLeavesTheOldImage)
{
    struct Case {
        const char* name;
        const char* source; // null: no a.kvt at all
        std::string err;    // "@" stands for the folder's path
    };
    const Case cases[] = {
        {"no source", nullptr, "@/a.KVT: File not found\n"},
        {"an error found while writing", "c d e\n#1 c [2 c\n", "@/a.kvt: Loop still open in 2.\n"},
        {"an error found before writing", "c\nd,e\n", "@/a.kvt: Parameter too many in 2.\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.source) dir.write("a.kvt", c.source);
        dir.write("a.ZEM", "precious");
        const auto before = dir.listing();
        const auto result = zemc(dir, {"a"});
        const std::string err = withPath(c.err, dir.path());
        EXPECT_EQ(result.err, err) << c.name;
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(dir.listing(), before) << c.name;
        EXPECT_EQ(dir.read("a.ZEM"), "precious") << c.name;
    }
}

TEST(ZemcCli, MessagesAndExitCodes)
{
    const std::vector<zem_test::ProgramCase> cases = {
        {"zemc", {"-Q", "a.kvt"}, "Illegal option.\n", 1, {}},
        {"zemc", {"a.kvt", "-q"}, "Illegal option.\n", 1, {}},
        {"zemc", {"nosuch"}, "@/nosuch.KVT: File not found\n", 1, {}},
        {"zemc", {"nosuch", "a.kvt"}, "@/nosuch.KVT: File not found\n", 1, {"a.ZEM"}},
        {"zemc", {"con"}, "@/con.KVT: CON\\CON-Proof affected.\n", 1, {}},
        {"zemc", {"bad.kvt"}, "@/bad.kvt: Parameter too many in 2.\n", 1, {}},
        {"zemc", {"empty.kvt"}, "@/empty.kvt: Empty effective track.\n", 1, {}},
        {"zemcw", {"-Fx", "a.kvt"}, kTitle + ": Illegal option.\n", 1, {}},
        {"zemcw", {"nosuch"}, "@/nosuch.KVT: File not found\n", 1, {}},
        {"zemcw", {"-F3-S.bin", "a.kvt"}, "", 0, {"a.bin"}},
    };
    for (const zem_test::ProgramCase& c : cases) {
        TempDir dir;
        dir.write("a.kvt", "c");
        dir.write("bad.kvt", "c\nd,e");
        dir.write("empty.kvt", "/ nothing but a comment\n");
        zem_test::expectProgramCase(dir, c);
    }
}

TEST(ZemcCli, BannerUsageAndNotice)
{
    TempDir dir;
    const auto usage = zemc(dir, {});
    EXPECT_EQ(usage.status, 0);
    EXPECT_EQ(usage.out.rfind("ZEMC for Win32 ver 05/07\n\nusage\n> zemc [sw] sourcefile", 0), 0u) << usage.out;
    EXPECT_EQ(zemc(dir, {"--help"}).out, usage.out);
    EXPECT_EQ(zemc(dir, {"--version"}).out, "ZEMC for Win32 ver 05/07\n");

    const auto notice = zemcw(dir, {});
    EXPECT_EQ(notice.status, 0);
    EXPECT_EQ(notice.out, "");
    EXPECT_EQ(notice.err.rfind(kTitle + ": ", 0), 0u) << notice.err;
    EXPECT_TRUE(dir.listing().empty());
}

} // namespace
