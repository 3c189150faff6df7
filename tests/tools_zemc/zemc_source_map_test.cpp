// zemc -M run for real: the source map beside the image, written and
// replaced the way the image is, and read back as the compile made it.
#include "compile_helper.h"
#include "run_program.h"
#include "temp_dir.h"

#include "kvt/source_map_file.h"

#include <gtest/gtest.h>

namespace {

using zem_test::runProgram;
using zem_test::TempDir;
using zem_test::withPath;

const std::string kSong = "#0 c d [2 e]\n#1 'ceg'4\n\\1 f\n";

kvt::SourceMap mapOfFile(const TempDir& dir, const std::string& name)
{
    const std::string bytes = dir.read(name);
    kvt::SourceMap map;
    EXPECT_EQ(kvt::decodeSourceMap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), map),
              kvt::SourceMapError::None)
        << name;
    return map;
}

TEST(ZemcSourceMap, WrittenBesideTheImageWhichStaysTheSame)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> plain; // the same compile without -M
        std::vector<std::string> listing;
        std::string image, map;
        uint16_t flags;
    };
    const Case cases[] = {
        {{"-M", "a"}, {"a"}, {"a.ZEM", "a.kvt", "a.zmap"}, "a.ZEM", "a.zmap", 0},
        {{"-S.bin", "a.kvt", "-m"}, {"-S.bin", "a.kvt"}, {"a.bin", "a.kvt", "a.zmap"}, "a.bin", "a.zmap", 0},
        {{"-M-F1", "a.kvt"}, {"-F1", "a.kvt"}, {"a.ZEM", "a.kvt", "a.zmap"}, "a.ZEM", "a.zmap", 1},
        {{"-F1-M", "-S_x.zem", "a.kvt"},
         {"-F1", "-S_x.zem", "a.kvt"},
         {"a.kvt", "a_x.zem", "a_x.zmap"},
         "a_x.zem",
         "a_x.zmap",
         1},
    };
    for (const Case& c : cases) {
        TempDir withMap, without;
        withMap.write("a.kvt", kSong);
        without.write("a.kvt", kSong);
        const auto result = runProgram("zemc", c.args, withMap.path());
        ASSERT_EQ(result.status, 0) << c.args[0] << "\n" << result.err;
        ASSERT_EQ(runProgram("zemc", c.plain, without.path()).status, 0) << c.args[0];
        EXPECT_EQ(withMap.listing(), c.listing) << c.args[0];
        EXPECT_EQ(withMap.read(c.image), without.read(c.image)) << c.args[0];
        EXPECT_EQ(mapOfFile(withMap, c.map), kvt_test::compiledMap(kSong, c.flags)) << c.args[0];
    }
}

TEST(ZemcSourceMap, ReplacedMapIsKeptAndAFailureWritesNothing)
{
    // A second compile moves the first map aside as the image is.
    TempDir dir;
    dir.write("a.kvt", kSong);
    ASSERT_EQ(runProgram("zemc", {"-M", "a"}, dir.path()).status, 0);
    zem_test::setLocalMtime(dir.file("a.zmap"), 2026, 1, 2, 3, 4, 5);
    ASSERT_EQ(runProgram("zemc", {"-M", "a"}, dir.path()).status, 0);
    EXPECT_TRUE(dir.exists("a_20260102030405.zmap"));
    EXPECT_EQ(mapOfFile(dir, "a_20260102030405.zmap"), mapOfFile(dir, "a.zmap"));

    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* source;
        std::string err; // "@" stands for the folder's path
    };
    const Case cases[] = {
        {"compile error", {"-M", "a"}, "c [2 d\n", "@/a.kvt: Loop still open in 1.\n"},
        {"map named as the image", {"-M", "-S.zmap", "a"}, "c\n", "@/a.zmap: File cannot write\n"},
    };
    for (const Case& c : cases) {
        TempDir failing;
        failing.write("a.kvt", c.source);
        failing.write("a.ZEM", "old image");
        failing.write("a.zmap", "old map");
        const auto before = failing.listing();
        const auto result = runProgram("zemc", c.args, failing.path());
        EXPECT_EQ(result.err, withPath(c.err, failing.path())) << c.name;
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(failing.listing(), before) << c.name;
        EXPECT_EQ(failing.read("a.zmap"), "old map") << c.name;
        EXPECT_EQ(failing.read("a.ZEM"), "old image") << c.name;
    }
}

} // namespace
