// Preparing an output: the letter case of an existing file, the backup of
// what it replaces, and the outputs that are refused because writing them
// would destroy the input or cannot replace a folder.
#include "util/fileset.h"
#include "util/uerr.h"

#include "raised_code.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(PrepareOutput, KeepsEveryExistingFile)
{
    const OutputCase cases[] = {
        {"nothing there", {}, "a.ZEM", kNothingRaised, "a.ZEM", {"a.kvt"}},
        {"same spelling moves aside",
         {{"a.ZEM", Existing::File}},
         "a.ZEM",
         kNothingRaised,
         "a.ZEM",
         {"a.kvt", "a_20240229235959.ZEM"}},
        {"other letter case moves aside and is reused",
         {{"a.zem", Existing::File}},
         "a.ZEM",
         kNothingRaised,
         "a.zem",
         {"a.kvt", "a_20240229235959.zem"}},
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
        const util::ErrCode code =
            raisedCode([&] { util::fs_prepare_output(f, dir.file(c.output).c_str(), dir.file("a.kvt").c_str()); });
        EXPECT_EQ(code, c.raised) << c.name;
        EXPECT_EQ(util::fs_path(f), dir.file(c.path)) << c.name;
        // A refusal names the output, which handlers report.
        EXPECT_EQ(util::fs_current(), f) << c.name;
        util::fs_free(f);
        EXPECT_EQ(dir.listing(), c.listing) << c.name;
        EXPECT_EQ(dir.read("a.kvt"), "c") << c.name;
        for (const std::string& name : c.listing) {
            if (name.find('_') != std::string::npos) {
                EXPECT_EQ(dir.read(name), "precious") << c.name;
            }
        }
    }
}

} // namespace
