// Loading modules by name and resolving their entries.
#include "qzdecoder.h"

#include "platform/dynload.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace {

const std::string kPlugin = std::string(ZEM_BIN_DIR) + "/qzwav.so";

TEST(DynamicLibrary, LoadsByPathAndResolvesEntries)
{
    platform::DynamicLibrary library(kPlugin);
    ASSERT_TRUE(library.isLoaded()) << library.error();
    auto version = library.entry<dw_version_fn>(DW_ENTRY_VERSION);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 10240u);
    EXPECT_EQ(library.symbol("dw_no_such_entry"), nullptr);
    EXPECT_FALSE(library.error().empty());
}

// A bare name is found in the program's folder before the system search.
TEST(DynamicLibrary, BareNameLooksBesideTheProgramFirst)
{
    const std::string copyName = "qzwav-dynload-test-copy.so";
    const std::filesystem::path copy = std::filesystem::path(platform::programFolder()) / copyName;
    std::filesystem::copy_file(kPlugin, copy, std::filesystem::copy_options::overwrite_existing);
    {
        platform::DynamicLibrary library(copyName);
        EXPECT_TRUE(library.isLoaded()) << library.error();
        EXPECT_NE(library.symbol(DW_ENTRY_DECODE), nullptr);
    }
    std::filesystem::remove(copy);
    platform::DynamicLibrary system("libm.so.6");
    ASSERT_TRUE(system.isLoaded()) << system.error();
    EXPECT_NE(system.symbol("cos"), nullptr);
}

// After close, a library loaded for the process stays mapped; another one
// is unloaded.
TEST(DynamicLibrary, LifetimeDecidesWhetherCloseUnloads)
{
    using Lifetime = platform::DynamicLibrary::Lifetime;
    const struct {
        Lifetime lifetime;
        const char* copyName;
        bool mappedAfterClose;
    } cases[] = {
        {Lifetime::UntilClose, "qzwav-lifetime-close.so", false},
        {Lifetime::Process, "qzwav-lifetime-process.so", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copyName);
        const std::filesystem::path copy = std::filesystem::path(platform::programFolder()) / c.copyName;
        std::filesystem::copy_file(kPlugin, copy, std::filesystem::copy_options::overwrite_existing);
        platform::DynamicLibrary library(copy.string(), c.lifetime);
        ASSERT_TRUE(library.isLoaded()) << library.error();
        library.close();
        void* still = dlopen(copy.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        EXPECT_EQ(still != nullptr, c.mappedAfterClose);
        if (still) dlclose(still);
        std::filesystem::remove(copy);
    }
}

TEST(DynamicLibrary, ModuleFolderNamesWhereCodeWasLoadedFrom)
{
    platform::DynamicLibrary library(kPlugin);
    ASSERT_TRUE(library.isLoaded());
    EXPECT_EQ(platform::moduleFolder(library.symbol(DW_ENTRY_VERSION)), ZEM_BIN_DIR);
    EXPECT_EQ(platform::moduleFolder(reinterpret_cast<const void*>(&platform::programFolder)),
              platform::programFolder());
    EXPECT_EQ(platform::moduleFolder(nullptr), "");
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
