// Writing an output: the letter case of an existing file, the backup of
// what it replaces, the outputs that are refused because writing them would
// destroy the input or cannot replace a folder, and the temporary file that
// takes the output's name only when complete.
#include "util/fileset.h"
#include "util/uerr.h"

#include "raised_code.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using zem_test::TempDir;

enum class Existing { File, Folder, LinkToSource, LinkToFolder };

struct OutputCase {
    const char* name;
    std::vector<std::pair<std::string, Existing>> present; // besides the source "a.kvt"
    const char* output;
    util::ErrCode raised; // kNothingRaised when the output may be written
    const char* path;     // the output path chosen (last component)
    std::vector<std::string> listing;
};

void make(const TempDir& dir, const std::string& name, Existing kind)
{
    switch (kind) {
    case Existing::File:
        dir.write(name, "precious");
        ASSERT_TRUE(zem_test::setLocalMtime(dir.file(name), 2024, 2, 29, 23, 59, 59));
        break;
    case Existing::Folder: std::filesystem::create_directory(dir.file(name)); break;
    case Existing::LinkToSource: ASSERT_EQ(symlink(dir.file("a.kvt").c_str(), dir.file(name).c_str()), 0); break;
    case Existing::LinkToFolder:
        std::filesystem::create_directory(dir.file("folder"));
        ASSERT_EQ(symlink(dir.file("folder").c_str(), dir.file(name).c_str()), 0);
        break;
    }
}

// Prepares the output, writes "new" under the temporary name and puts it in place.
util::ErrCode writeOutput(const TempDir& dir, util::FILESET* f, const std::string& output)
{
    return raisedCode([&] {
        util::fs_prepare_output(f, dir.file(output).c_str(), dir.file("a.kvt").c_str());
        util::FILESET* pending = util::fs_create();
        util::fs_create_pending(pending, f);
        util::fs_write(pending, "new", 3);
        util::fs_put_in_place(pending, f);
        util::fs_free(pending);
    });
}

TEST(PrepareOutput, KeepsEveryExistingFile)
{
    const OutputCase cases[] = {
        {"nothing there", {}, "a.ZEM", kNothingRaised, "a.ZEM", {"a.ZEM", "a.kvt"}},
        {"same spelling moves aside",
         {{"a.ZEM", Existing::File}},
         "a.ZEM",
         kNothingRaised,
         "a.ZEM",
         {"a.ZEM", "a.kvt", "a_20240229235959.ZEM"}},
        {"other letter case moves aside and is reused",
         {{"a.zem", Existing::File}},
         "a.ZEM",
         kNothingRaised,
         "a.zem",
         {"a.kvt", "a.zem", "a_20240229235959.zem"}},
        {"the source itself", {}, "a.kvt", util::kErrFileCannotWrite, "a.kvt", {"a.kvt"}},
        {"the source in another letter case", {}, "a.KVT", util::kErrFileCannotWrite, "a.kvt", {"a.kvt"}},
        {"a link to the source",
         {{"a.ZEM", Existing::LinkToSource}},
         "a.ZEM",
         util::kErrFileCannotWrite,
         "a.ZEM",
         {"a.ZEM", "a.kvt"}},
        {"a folder", {{"a.ZEM", Existing::Folder}}, "a.ZEM", util::kErrFileCannotWrite, "a.ZEM", {"a.ZEM", "a.kvt"}},
        {"a folder in another letter case",
         {{"a.zem", Existing::Folder}},
         "a.ZEM",
         util::kErrFileCannotWrite,
         "a.zem",
         {"a.kvt", "a.zem"}},
        {"a link to a folder",
         {{"a.ZEM", Existing::LinkToFolder}},
         "a.ZEM",
         util::kErrFileCannotWrite,
         "a.ZEM",
         {"a.ZEM", "a.kvt", "folder"}},
    };
    for (const OutputCase& c : cases) {
        TempDir dir;
        dir.write("a.kvt", "c");
        for (const auto& [name, kind] : c.present) make(dir, name, kind);
        util::FILESET* f = util::fs_create();
        EXPECT_EQ(writeOutput(dir, f, c.output), c.raised) << c.name;
        EXPECT_EQ(util::fs_path(f), dir.file(c.path)) << c.name;
        // A refusal names the output, which handlers report.
        if (c.raised != kNothingRaised) {
            EXPECT_EQ(util::fs_current(), f) << c.name;
        }
        util::fs_free(f);
        EXPECT_EQ(dir.listing(), c.listing) << c.name;
        EXPECT_EQ(dir.read("a.kvt"), "c") << c.name;
        for (const std::string& name : c.listing) {
            if (name.find('_') != std::string::npos) {
                EXPECT_EQ(dir.read(name), "precious") << c.name;
            }
        }
        if (c.raised == kNothingRaised) {
            EXPECT_EQ(dir.read(c.path), "new") << c.name;
        }
    }
}

// A link at the output name, there from the start or planted while the
// output is being written, is moved aside as it is: the file it points to
// keeps its contents and its mode, and the output becomes a file of its own.
TEST(PendingOutput, LinkAtTheOutputNameIsMovedNeverFollowed)
{
    for (const bool planted : {false, true}) {
        TempDir dir;
        dir.write("a.kvt", "c");
        dir.write("victim", "precious");
        ASSERT_EQ(chmod(dir.file("victim").c_str(), 0444), 0);
        ASSERT_TRUE(zem_test::setLocalMtime(dir.file("victim"), 2024, 2, 29, 23, 59, 59));
        if (!planted) {
            ASSERT_EQ(symlink(dir.file("victim").c_str(), dir.file("a.ZEM").c_str()), 0);
        }
        util::FILESET* f = util::fs_create();
        util::FILESET* pending = util::fs_create();
        util::fs_prepare_output(f, dir.file("a.ZEM").c_str(), dir.file("a.kvt").c_str());
        util::fs_create_pending(pending, f);
        util::fs_write(pending, "new", 3);
        if (planted) {
            ASSERT_EQ(symlink(dir.file("victim").c_str(), dir.file("a.ZEM").c_str()), 0);
        }
        util::fs_put_in_place(pending, f);
        util::fs_free(pending);
        util::fs_free(f);
        EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.ZEM", "a.kvt", "a_20240229235959.ZEM", "victim"}))
            << planted;
        EXPECT_EQ(dir.read("victim"), "precious") << planted;
        struct stat st;
        ASSERT_EQ(stat(dir.file("victim").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0444u) << planted << ": the target's mode changed";
        ASSERT_EQ(lstat(dir.file("a_20240229235959.ZEM").c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << planted;
        ASSERT_EQ(lstat(dir.file("a.ZEM").c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << planted;
        EXPECT_EQ(dir.read("a.ZEM"), "new") << planted;
    }
}

// A discarded output leaves the folder as it was; the temporary file is a
// new file with the mode an output gets, never one that was there.
TEST(PendingOutput, DiscardLeavesTheFolderAsItWas)
{
    TempDir dir;
    dir.write("a.kvt", "c");
    dir.write("a.ZEM", "old");
    util::FILESET* f = util::fs_create();
    util::FILESET* pending = util::fs_create();
    util::fs_prepare_output(f, dir.file("a.ZEM").c_str(), dir.file("a.kvt").c_str());
    util::fs_create_pending(pending, f);
    util::fs_write(pending, "partial", 7);
    const std::string pendingPath = util::fs_path(pending);
    EXPECT_EQ(pendingPath.rfind(dir.path() + "/.a.ZEM.", 0), 0u) << pendingPath;
    struct stat st;
    ASSERT_EQ(lstat(pendingPath.c_str(), &st), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
    util::fs_discard_pending(pending);
    util::fs_free(pending);
    util::fs_free(f);
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.ZEM", "a.kvt"}));
    EXPECT_EQ(dir.read("a.ZEM"), "old");
}

// A folder that takes no new file refuses the output, and the error names
// the output, not the temporary name tried.
TEST(PendingOutput, UnwritableFolderNamesTheOutput)
{
    TempDir dir;
    util::FILESET* f = util::fs_create();
    util::FILESET* pending = util::fs_create();
    util::fs_set_path(f, dir.file("missing/a.ZEM").c_str(), nullptr);
    EXPECT_EQ(raisedCode([&] { util::fs_create_pending(pending, f); }), util::kErrFileCannotWrite);
    EXPECT_EQ(util::fs_current(), f);
    util::fs_discard_pending(pending);
    util::fs_free(pending);
    util::fs_free(f);
    EXPECT_TRUE(dir.listing().empty());
}

} // namespace
