#include "mid2kvt/output_name.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputNameTest, ExtensionOfTheLastComponentIsReplaced)
{
    const std::vector<std::pair<std::string, std::string>> table = {
        {"/m/tune.mid", "/m/tune.KVT"}, {"/m/tune.MID", "/m/tune.KVT"}, {"/m/a.b.mid", "/m/a.b.KVT"},
        {"/m/tune", "/m/tune.KVT"},     {"/m.d/tune", "/m.d/tune.KVT"}, {"/m.d/.mid", "/m.d/.KVT"},
    };
    for (const auto& [in, out] : table) EXPECT_EQ(mid2kvt::kvtOutputPath(in), out) << in;
}

} // namespace
