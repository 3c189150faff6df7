// File objects: paths, default extensions, case fixing, writing at the
// software position and loading whole files.
#include "util/fileset.h"
#include "util/uerr.h"

#include "temp_dir.h"

#include "raised_code.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using zem_test::TempDir;

using util::ErrCode;
using util::FILESET;

struct Fileset {
    FILESET* f = util::fs_create();
    ~Fileset() { util::fs_free(f); }
};

// Runs the test body inside a folder of its own so that relative names land there.
class InTempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(previous_.c_str()), 0); }
    TempDir dir_;
    std::string previous_;
};

TEST(PathFull, LexicalNormalisation)
{
    struct PathCase {
        const char* name;
        const char* expected;
    };
    const PathCase cases[] = {
        {"/a/b/c", "/a/b/c"}, {"/a/./b", "/a/b"}, {"/a//b", "/a/b"},   {"/a/b/../c", "/a/c"},    {"/../a", "/a"},
        {"/a/b/", "/a/b/"},   {"/a/b/..", "/a/"}, {"/a/b/.", "/a/b/"}, {"/a/link/../b", "/a/b"}, {"/a\\b/c", "/a\\b/c"},
    };
    for (const PathCase& c : cases) {
        util::STRSET* full = util::path_full(c.name);
        EXPECT_STREQ(util::ss_text(full), c.expected) << c.name;
        util::ss_free(full);
    }
}

TEST(PathFull, TooLongRaises)
{
    std::string longest = "/" + std::string(PATH_MAX - 2, 'a');
    util::STRSET* full = util::path_full(longest.c_str());
    EXPECT_EQ(util::ss_length(full), PATH_MAX - 1u);
    util::ss_free(full);
    std::string tooLong = longest + "b";
    EXPECT_EQ(raisedCode([tooLong] { util::path_full(tooLong.c_str()); }), util::kErrFilesetParam);
}

TEST_F(InTempDir, SetPathDefaultExtension)
{
    struct ExtCase {
        const char* name;
        const char* ext;
        const char* expected; // relative to the folder
    };
    const ExtCase cases[] = {
        {"song", "KVT", "song.KVT"},
        {"song.", "KVT", "song"},
        {"song..", "KVT", "song"},
        {"song.kvt", "KVT", "song.kvt"},
        {"song.mid", "KVT", "song.mid"},
        {"song", nullptr, "song"},
        {"song", "", "song"},
        {"my.dir/song", "ZEM", "my.dir/song.ZEM"},
        {"./sub/../song", "KVT", "song.KVT"},
        {"...", "KVT", "..."},
    };
    for (const ExtCase& c : cases) {
        Fileset fs;
        util::fs_set_path(fs.f, c.name, c.ext);
        EXPECT_EQ(util::fs_path(fs.f), dir_.file(c.expected)) << c.name;
        EXPECT_TRUE(fs.f->path_set);
    }
}

TEST_F(InTempDir, SetPathRefusals)
{
    struct BadCase {
        const char* name;
        ErrCode expected;
    };
    const BadCase cases[] = {
        {"folder/", util::kErrFilesetParam}, {".", util::kErrFilesetParam},     {"/", util::kErrFilesetParam},
        {"", util::kErrFilesetParam},        {nullptr, util::kErrNullArgument},
    };
    for (const BadCase& c : cases) {
        Fileset fs;
        EXPECT_EQ(raisedCode([&] { util::fs_set_path(fs.f, c.name, "KVT"); }), c.expected)
            << (c.name ? c.name : "(null)");
        EXPECT_FALSE(fs.f->path_set);
        EXPECT_EQ(util::fs_current(), fs.f);
    }
}

TEST_F(InTempDir, FixCaseFindsTheExistingSpelling)
{
    dir_.write("song.kvt", "t");
    dir_.write("Exact.KVT", "t");
    struct CaseCase {
        const char* name;
        const char* expected;
    };
    const CaseCase cases[] = {
        {"song", "song.kvt"}, // default extension "KVT" meets song.kvt
        {"SONG.KVT", "song.kvt"}, {"Exact.KVT", "Exact.KVT"}, {"exact", "Exact.KVT"}, {"missing", "missing.KVT"},
    };
    for (const CaseCase& c : cases) {
        Fileset fs;
        util::fs_set_path(fs.f, c.name, "KVT");
        util::fs_fix_case(fs.f);
        EXPECT_EQ(util::fs_path(fs.f), dir_.file(c.expected)) << c.name;
    }
    Fileset empty;
    EXPECT_EQ(raisedCode([&] { util::fs_fix_case(empty.f); }), util::kErrFilesetEmpty);
}

TEST_F(InTempDir, WritesAtThePosition)
{
    struct WriteCase {
        const char* name;
        const char* initial;
        void (*act)(FILESET*);
        std::string expected;
        uint32_t size;
    };
    const WriteCase cases[] = {
        {"word past the end grows the size", "abcd",
         [](FILESET* f) {
             util::fs_seek(f, 10, 0);
             util::fs_write_word(f, 0x4241);
         },
         std::string("abcd\0\0\0\0\0\0AB", 12), 12},
        {"seek to the end appends", "abcd",
         [](FILESET* f) {
             EXPECT_EQ(util::fs_seek(f, 0, 2), 4u);
             util::fs_write(f, "ef", 2);
         },
         "abcdef", 6},
        {"relative seek overwrites", "abcdef",
         [](FILESET* f) {
             util::fs_seek(f, 2, 0);
             EXPECT_EQ(util::fs_seek(f, 1, 1), 3u);
             util::fs_write_byte(f, 'X');
         },
         "abcXef", 6},
        {"seek from the end backwards", "abcdef",
         [](FILESET* f) {
             EXPECT_EQ(util::fs_seek(f, -2, 2), 4u);
             util::fs_write_word(f, 0x5a59);
         },
         "abcdYZ", 6},
        {"pattern little-endian", "", [](FILESET* f) { util::fs_write_pattern32(f, 0x64636261, 3); }, "abcdabcdabcd",
         12},
        {"negative seek clamps to 0 and other whence leaves the position", "abc",
         [](FILESET* f) {
             EXPECT_EQ(util::fs_seek(f, -5, 1), 0u);
             util::fs_seek(f, 2, 0);
             EXPECT_EQ(util::fs_seek(f, 9, 3), 2u);
             util::fs_write_byte(f, 'Z');
         },
         "abZ", 3},
        {"offsets beyond 2 GiB are positions, beyond 4 GiB they clamp", "abc",
         [](FILESET* f) {
             EXPECT_EQ(util::fs_seek(f, 0x80000000, 0), 0x80000000u);
             EXPECT_EQ(util::fs_seek(f, 0x7FFFFFFF, 1), 0xFFFFFFFFu);
             EXPECT_EQ(util::fs_seek(f, int64_t{1} << 32, 0), 0xFFFFFFFFu);
             util::fs_seek(f, 1, 0);
             util::fs_write_byte(f, 'Z');
         },
         "aZc", 3},
    };
    for (const WriteCase& c : cases) {
        dir_.write("out.bin", c.initial);
        Fileset fs;
        util::fs_set_path(fs.f, "out.bin", nullptr);
        util::fs_open(fs.f, util::FileMode::ReadWrite);
        c.act(fs.f);
        EXPECT_EQ(fs.f->size, c.size) << c.name;
        util::fs_close(fs.f);
        EXPECT_EQ(dir_.read("out.bin"), c.expected) << c.name;
    }
}

TEST_F(InTempDir, BigPatternCrossesChunks)
{
    dir_.write("big.bin", "");
    Fileset fs;
    util::fs_set_path(fs.f, "big.bin", nullptr);
    util::fs_open(fs.f, util::FileMode::Write);
    util::fs_write_pattern32(fs.f, 0x01020304, 1000);
    util::fs_close(fs.f);
    std::string bytes = dir_.read("big.bin");
    ASSERT_EQ(bytes.size(), 4000u);
    EXPECT_EQ(bytes.substr(3996), std::string("\x04\x03\x02\x01", 4));
}

TEST_F(InTempDir, AppendModeStartsAtTheEnd)
{
    dir_.write("log.txt", "one");
    Fileset fs;
    util::fs_set_path(fs.f, "log.txt", nullptr);
    util::fs_open(fs.f, util::FileMode::Append);
    EXPECT_EQ(fs.f->position, 3u);
    util::fs_write(fs.f, "two", 3);
    util::fs_close(fs.f);
    EXPECT_EQ(dir_.read("log.txt"), "onetwo");
}

TEST_F(InTempDir, LoadWholeFileAndKeepItInStep)
{
    dir_.write("song.kvt", "t120 cde");
    Fileset fs;
    util::fs_set_path(fs.f, "song", "kvt");
    util::fs_open(fs.f, util::FileMode::ReadWrite);
    EXPECT_TRUE(fs.f->last_write_known);
    uint32_t size = 0;
    const uint8_t* bytes = util::fs_load(fs.f, &size);
    ASSERT_EQ(size, 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), "t120 cde");
    EXPECT_EQ(util::fs_load(fs.f, &size), bytes) << "a window holding the whole file is reused";

    util::fs_seek(fs.f, 5, 0);
    util::fs_write(fs.f, "CD", 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), "t120 CDe") << "window mirrors writes";

    util::fs_seek(fs.f, 0, 2);
    util::fs_write(fs.f, "f", 1);
    const uint8_t* grown = util::fs_load(fs.f, &size);
    ASSERT_EQ(size, 9u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(grown), size), "t120 CDef");
    util::fs_close(fs.f);
    EXPECT_EQ(util::fs_load(fs.f, &size), grown) << "contents stay loaded after closing";
}

TEST_F(InTempDir, CreateOpenAndTheirErrors)
{
    Fileset fs;
    EXPECT_EQ(raisedCode([&] { util::fs_create_file(fs.f, 0x80); }), util::kErrFilesetEmpty);
    EXPECT_EQ(raisedCode([&] { util::fs_open(fs.f, util::FileMode::Read); }), util::kErrFilesetEmpty);
    util::fs_set_path(fs.f, "new.zem", nullptr);
    EXPECT_FALSE(util::fs_exists(fs.f));
    EXPECT_EQ(raisedCode([&] { util::fs_open(fs.f, util::FileMode::Read); }), util::kErrFileNotFound);
    EXPECT_EQ(raisedCode([&] { util::fs_write_byte(fs.f, 1); }), util::kErrFileNotOpen);
    EXPECT_EQ(raisedCode([&] { util::fs_load(fs.f, nullptr); }), util::kErrFileNotOpen);

    dir_.write("new.zem", "stale contents");
    util::fs_create_file(fs.f, 0x80);
    EXPECT_TRUE(util::fs_exists(fs.f));
    EXPECT_EQ(dir_.read("new.zem"), "") << "created files are truncated";
    util::fs_open(fs.f, util::FileMode::Write);
    EXPECT_EQ(raisedCode([&] { util::fs_create_file(fs.f, 0x80); }), util::kErrFileStillOpen);
    util::fs_close(fs.f);

    // Only a regular file opens; a FIFO is refused at once instead of
    // waiting for a writer.
    dir_.write("folder.kvt/inner", "x");
    ASSERT_EQ(mkfifo(dir_.file("fifo.kvt").c_str(), 0600), 0);
    for (const char* name : {"folder.kvt", "fifo.kvt"}) {
        util::fs_set_path(fs.f, name, nullptr);
        EXPECT_EQ(raisedCode([&] { util::fs_open(fs.f, util::FileMode::Read); }), util::kErrFileNotFound) << name;
    }
}

TEST(Fileset, NullObjectRaisesAndIsRecorded)
{
    Fileset other;
    util::fs_close(other.f);
    EXPECT_EQ(util::fs_current(), other.f);
    struct NullCase {
        const char* name;
        void (*call)();
    };
    const NullCase cases[] = {
        {"open", [] { util::fs_open(nullptr, util::FileMode::Read); }},
        {"seek", [] { util::fs_seek(nullptr, 0, 0); }},
        {"write", [] { util::fs_write(nullptr, "x", 1); }},
        {"load", [] { util::fs_load(nullptr, nullptr); }},
        {"set path", [] { util::fs_set_path(nullptr, "a", nullptr); }},
    };
    for (const NullCase& c : cases) {
        EXPECT_EQ(raisedCode(c.call), util::kErrNullArgument) << c.name;
        EXPECT_EQ(util::fs_current(), nullptr) << c.name;
    }
}

} // namespace
