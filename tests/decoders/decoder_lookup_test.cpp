// Where hosts take decoders from, and that a decoder stays loaded.  CTest
// runs this with an empty element in LD_LIBRARY_PATH, which makes the
// system's library search look in the current folder.
#include "audsink.h"
#include "decoder_plugins/decoder_module.h"

#include "platform/dynload.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kPlugin = std::string(ZEM_BIN_DIR) + "/qzwav.so";

// Runs with the current folder changed, and back.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

TEST(DecoderLookup, OnlyAbsolutePathsBesideTheProgramOrGivenWhole)
{
    const zem_test::TempDir dir;
    const std::string beside = platform::programFolder() + "/lookup-beside.so";
    fs::copy_file(kPlugin, beside, fs::copy_options::overwrite_existing);
    fs::copy_file(kPlugin, dir.file("lookup-here.so"));
    const InFolder here(dir.path());
    const struct {
        std::string name;
        std::string located;
    } cases[] = {
        {kPlugin, kPlugin},
        {"lookup-beside.so", beside},
        // In the current folder only: neither it nor a relative path is taken.
        {"lookup-here.so", ""},
        {"./lookup-here.so", ""},
        {"sub/lookup-here.so", ""},
        {"", ""},
        {"lookup-nowhere.so", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decoder_plugins::locateDecoder(c.name), c.located);
        EXPECT_EQ(decoder_plugins::loadDecoder(c.name) != nullptr, !c.located.empty());
    }
    EXPECT_EQ(dlopen(dir.file("lookup-here.so").c_str(), RTLD_LAZY | RTLD_NOLOAD), nullptr);
    fs::remove(beside);
}

TEST(DecoderLookup, TheStreamLibraryTakesDecodersFromTheLookup)
{
    const zem_test::TempDir dir;
    fs::copy_file(kPlugin, dir.file("lookup-library.so"));
    const InFolder here(dir.path());
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr);
    char credit[128];
    EXPECT_EQ(ds->credit(ds, "lookup-library.so", credit, sizeof credit), 0u) << "not from the current folder";
    EXPECT_GT(ds->credit(ds, kPlugin.c_str(), credit, sizeof credit), 0u);
    ds->destroy(ds);
}

TEST(DecoderLookup, LoadsOnceAndKeepsTheDecoderLoaded)
{
    std::string error;
    const decoder_plugins::DecoderEntries* first = decoder_plugins::loadDecoder(kPlugin, &error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_EQ(decoder_plugins::loadDecoder(kPlugin), first);
    EXPECT_NE(first->open, nullptr);
    EXPECT_NE(first->enumTexts, nullptr);
    EXPECT_EQ(first->textCharset, nullptr);
    EXPECT_EQ(first->switchTo, nullptr);
    void* still = dlopen(kPlugin.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    EXPECT_NE(still, nullptr);
    if (still) dlclose(still);
}

TEST(DecoderLookup, VersionRule)
{
    const struct {
        uint32_t version;
        bool accepted;
    } cases[] = {{10240, true}, {12035, true}, {12036, false}, {0x01000000, false}, {0, true}};
    for (const auto& c : cases) EXPECT_EQ(decoder_plugins::isAcceptedVersion(c.version), c.accepted) << c.version;
}

} // namespace
