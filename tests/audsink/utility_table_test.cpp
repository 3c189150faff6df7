// The runtime's file calls that stand in for missing utility entries: the
// open-mode bits, the seek origins and offsets, and the refused reads and
// writes.
#include "utility_table.h"

#include "decoder_plugins/posix_file_host.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using audsink::completeUtilityTable;

namespace {

const ds8_utility kDefaults = completeUtilityTable(nullptr, 0);

struct OpenCase {
    uint32_t mode;
    bool exists; // the file is there before the open
    bool opens;
    const char* after; // the file's content after writing "new" (nullptr: not written)
};
constexpr OpenCase kOpenCases[] = {
    {0, true, false, "old"},                // no access bits
    {DS8_OPEN_READ, false, false, nullptr}, // reading what is not there
    {DS8_OPEN_READ, true, true, "old"},
    {DS8_OPEN_WRITE, false, false, nullptr},               // no create bit
    {DS8_OPEN_WRITE, true, true, "new"},                   // overwrites from the start
    {DS8_OPEN_WRITE | DS8_OPEN_CREATE, true, true, "new"}, // truncates
    {DS8_OPEN_WRITE | DS8_OPEN_CREATE, false, true, "new"},
    {DS8_OPEN_WRITE | DS8_OPEN_CREATE | DS8_OPEN_EXCLUSIVE, true, false, "old"},
    {DS8_OPEN_WRITE | DS8_OPEN_CREATE | DS8_OPEN_EXCLUSIVE, false, true, "new"},
    {DS8_OPEN_WRITE | DS8_OPEN_APPEND, true, true, "oldnew"},
    {DS8_OPEN_WRITE | DS8_OPEN_CREATE | DS8_OPEN_APPEND, true, true, "new"}, // append needs no create
    {DS8_OPEN_READ | DS8_OPEN_WRITE, true, true, "new"},
};

TEST(UtilityDefaults, OpenModeBits)
{
    for (const auto& c : kOpenCases) {
        zem_test::TempDir dir;
        const std::string path = dir.file("f");
        if (c.exists) dir.write("f", "old");
        const intptr_t h = kDefaults.open(nullptr, path.c_str(), c.mode);
        EXPECT_EQ(!kDefaults.is_invalid(nullptr, h), c.opens) << "mode " << c.mode;
        if (c.opens && (c.mode & DS8_OPEN_WRITE)) EXPECT_EQ(kDefaults.write(nullptr, h, "new", 3, 0), 3);
        kDefaults.close(nullptr, h);
        if (c.after)
            EXPECT_EQ(zem_test::readFile(path), c.after) << "mode " << c.mode;
        else
            EXPECT_FALSE(dir.exists("f")) << "mode " << c.mode;
        if (c.opens && !c.exists) {
            struct stat st {};
            stat(path.c_str(), &st);
            EXPECT_TRUE(st.st_mode & S_IWUSR) << "created writable";
        }
    }
    EXPECT_EQ(kDefaults.invalid_handle(nullptr), -1);
}

// qzdecode lends decoders the same files through the contract's own table.
TEST(UtilityDefaults, DecoderHostOpensAlike)
{
    const dw_host* host = decoder_plugins::posixFileHost();
    for (const auto& c : kOpenCases) {
        zem_test::TempDir dir;
        const std::string path = dir.file("f");
        if (c.exists) dir.write("f", "old");
        const intptr_t h = host->open(host, path.c_str(), c.mode);
        EXPECT_EQ(!host->is_invalid(host, h), c.opens) << "mode " << c.mode;
        if (c.opens && (c.mode & DW_OPEN_WRITE)) EXPECT_EQ(host->write(host, h, "new", 3, 0), 3);
        host->close(host, h);
        if (c.after)
            EXPECT_EQ(zem_test::readFile(path), c.after) << "mode " << c.mode;
        else
            EXPECT_FALSE(dir.exists("f")) << "mode " << c.mode;
    }
    EXPECT_EQ(host->invalid_handle(host), -1);
}

TEST(UtilityDefaults, OnlyRegularFilesOpenAndNoneWaits)
{
    // A FIFO with no writer would hold a blocking open for ever.
    zem_test::TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0700), 0);
    dir.write("file", "old");
    const struct {
        const char* name;
        uint32_t mode;
        bool opens;
    } cases[] = {
        {"fifo", DS8_OPEN_READ, false},
        {"fifo", DS8_OPEN_WRITE | DS8_OPEN_CREATE, false},
        {"folder", DS8_OPEN_READ, false},
        {"file", DS8_OPEN_READ, true},
    };
    for (const auto& c : cases) {
        const intptr_t h = kDefaults.open(nullptr, dir.file(c.name).c_str(), c.mode);
        EXPECT_EQ(!kDefaults.is_invalid(nullptr, h), c.opens) << c.name << " mode " << c.mode;
        if (c.opens) {
            char byte = 0;
            EXPECT_EQ(kDefaults.read(nullptr, h, &byte, 1, 0), 1) << "reads block as usual";
            EXPECT_EQ(fcntl(int(h), F_GETFL) & O_NONBLOCK, 0);
        }
        kDefaults.close(nullptr, h);
    }
}

TEST(UtilityDefaults, SeekReadAndWriteRules)
{
    zem_test::TempDir dir;
    dir.write("f", "0123456789");
    const intptr_t h = kDefaults.open(nullptr, dir.file("f").c_str(), DS8_OPEN_READ);
    struct Case {
        uint32_t low, high, origin;
        int64_t position;
    } seeks[] = {
        {4, 0, 0, 4},
        {2, 0, 1, 6},
        {0xFFFFFFFE, 0xFFFFFFFF, 1, 4},
        {0xFFFFFFFF, 0xFFFFFFFF, 2, 9},
        {0, 0, 3, -1},
        {0xFFFFFFF0, 0xFFFFFFFF, 0, -1},
    };
    for (const auto& c : seeks)
        EXPECT_EQ(kDefaults.seek(nullptr, h, c.low, c.high, c.origin), c.position) << c.low << " " << c.origin;
    char buffer[8] = {};
    EXPECT_EQ(kDefaults.read(nullptr, h, buffer, 4, 1), 0) << "a non-zero flag is refused";
    EXPECT_EQ(kDefaults.read(nullptr, h, buffer, -1, 0), 0) << "a negative length is refused";
    EXPECT_EQ(kDefaults.read(nullptr, h, buffer, 8, 0), 1);
    EXPECT_EQ(buffer[0], '9');
    EXPECT_EQ(kDefaults.write(nullptr, h, buffer, 1, 0), 0) << "opened for reading only";
    kDefaults.close(nullptr, h);
    EXPECT_EQ(kDefaults.read(nullptr, -1, buffer, 1, 0), 0);
}

intptr_t customOpen(void*, const char*, uint32_t) { return 42; }

TEST(UtilityDefaults, OneMissingFileEntryReplacesAllSeven)
{
    ds8_utility partial{};
    partial.open = &customOpen;
    const ds8_utility filled = completeUtilityTable(&partial, sizeof partial);
    EXPECT_NE(filled.open, &customOpen);
    EXPECT_EQ(filled.open, kDefaults.open);
    EXPECT_EQ(filled.allocate, kDefaults.allocate);
}

} // namespace
