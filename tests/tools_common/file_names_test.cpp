#include "common/run_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct NameCase {
    std::string path;
    std::string extension;
    std::string withKvt;
};

TEST(ToolFileNames, ExtensionOfTheLastComponentOnly)
{
    const std::vector<NameCase> table = {
        {"/m/tune.mid", ".mid", "/m/tune.KVT"},
        {"/m/tune.MID", ".MID", "/m/tune.KVT"},
        {"/m/a.b.mid", ".mid", "/m/a.b.KVT"},
        {"/m/tune", "", "/m/tune.KVT"},
        {"/m.d/tune", "", "/m.d/tune.KVT"},
        {"/m.d/.mid", ".mid", "/m.d/.KVT"},
        {"tune.", ".", "tune.KVT"},
        {"tune", "", "tune.KVT"},
    };
    for (const NameCase& c : table) {
        EXPECT_EQ(tools::extensionOf(c.path), c.extension) << c.path;
        EXPECT_EQ(tools::replaceExtension(c.path, ".KVT"), c.withKvt) << c.path;
    }
}

} // namespace
