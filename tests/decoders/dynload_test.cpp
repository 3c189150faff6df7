// Loading modules by name and resolving their entries.
#include "qzdecoder.h"

#include "platform/dynload.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kPlugin = std::string(ZEM_BIN_DIR) + "/qzwav.so";

TEST(DynamicLibrary, LoadsByPathAndByNameAndResolvesEntries)
{
    for (const std::string& name : {kPlugin, std::string("qzwav.so")}) {
        SCOPED_TRACE(name);
        platform::DynamicLibrary library(name);
        ASSERT_TRUE(library.isLoaded()) << library.error();
        auto version = library.entry<dw_version_fn>(DW_ENTRY_VERSION);
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version(), 10240u);
        EXPECT_EQ(library.symbol("dw_no_such_entry"), nullptr);
        EXPECT_FALSE(library.error().empty());
    }
}

TEST(DynamicLibrary, FailuresLeaveNothingLoaded)
{
    for (const std::string& name : {std::string(), std::string("no-such-module.so"), std::string("/nonexistent/x.so"),
                                    std::string(ZEM_SOURCE_DIR) + "/decoders/include/qzdecoder.h"}) {
        SCOPED_TRACE(name);
        platform::DynamicLibrary library(name);
        EXPECT_FALSE(library.isLoaded());
        EXPECT_FALSE(library.error().empty());
        EXPECT_EQ(library.symbol(DW_ENTRY_VERSION), nullptr);
    }
}

TEST(DynamicLibrary, MovesOwnershipAndClosesOnce)
{
    platform::DynamicLibrary first(kPlugin);
    ASSERT_TRUE(first.isLoaded());
    platform::DynamicLibrary second(std::move(first));
    EXPECT_FALSE(first.isLoaded());
    EXPECT_TRUE(second.isLoaded());
    platform::DynamicLibrary third;
    third = std::move(second);
    EXPECT_FALSE(second.isLoaded());
    ASSERT_TRUE(third.isLoaded());
    EXPECT_NE(third.symbol(DW_ENTRY_OPEN), nullptr);
    third.close();
    EXPECT_FALSE(third.isLoaded());
    EXPECT_EQ(third.symbol(DW_ENTRY_OPEN), nullptr);
}

TEST(DynamicLibrary, ProgramFolderIsWhereTheTestRuns)
{
    std::string folder = platform::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
    EXPECT_EQ(folder.substr(folder.rfind('/')), "/tests");
}

} // namespace
