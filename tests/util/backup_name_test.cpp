// Date normalisation, backup names and moving an existing output aside.
#include "util/fileset.h"
#include "util/uerr.h"

#include "raised_code.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using zem_test::TempDir;

using util::DateTime;

DateTime at(unsigned y, unsigned mo, unsigned d, unsigned h, unsigned mi, unsigned s)
{
    return DateTime{static_cast<uint16_t>(y),
                    static_cast<uint8_t>(mo),
                    static_cast<uint8_t>(d),
                    static_cast<uint8_t>(h),
                    static_cast<uint8_t>(mi),
                    static_cast<uint8_t>(s),
                    0};
}

std::string show(const DateTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

TEST(DateNormalise, Carries)
{
    struct DateCase {
        const char* name;
        DateTime in;
        const char* expected;
    };
    const DateCase cases[] = {
        {"nothing to carry", at(2024, 5, 17, 10, 20, 30), "2024-05-17 10:20:30"},
        {"second into minute", at(2024, 5, 17, 10, 20, 60), "2024-05-17 10:21:00"},
        {"minute into hour", at(2024, 5, 17, 10, 59, 60), "2024-05-17 11:00:00"},
        {"hour into day", at(2024, 5, 17, 23, 59, 60), "2024-05-18 00:00:00"},
        {"31-day month end", at(2024, 1, 31, 23, 59, 60), "2024-02-01 00:00:00"},
        {"30-day month end", at(2024, 4, 30, 23, 59, 60), "2024-05-01 00:00:00"},
        {"April has no 31st", at(2024, 4, 31, 0, 0, 0), "2024-05-01 00:00:00"},
        {"June end", at(2023, 6, 30, 23, 59, 60), "2023-07-01 00:00:00"},
        {"September end", at(2023, 9, 30, 23, 59, 60), "2023-10-01 00:00:00"},
        {"November end", at(2023, 11, 30, 23, 59, 60), "2023-12-01 00:00:00"},
        {"leap day kept", at(2024, 2, 28, 23, 59, 60), "2024-02-29 00:00:00"},
        {"leap day end", at(2024, 2, 29, 23, 59, 60), "2024-03-01 00:00:00"},
        {"common February end", at(2023, 2, 28, 23, 59, 60), "2023-03-01 00:00:00"},
        {"1900 is not leap", at(1900, 2, 28, 23, 59, 60), "1900-03-01 00:00:00"},
        {"2000 is leap", at(2000, 2, 28, 23, 59, 60), "2000-02-29 00:00:00"},
        {"2100 is not leap", at(2100, 2, 29, 0, 0, 0), "2100-03-01 00:00:00"},
        {"year end", at(2023, 12, 31, 23, 59, 60), "2024-01-01 00:00:00"},
        {"month beyond 12", at(2023, 13, 1, 0, 0, 0), "2024-01-01 00:00:00"},
        {"many seconds", at(2023, 12, 31, 23, 59, 255), "2024-01-01 00:03:15"},
        {"many days", at(2023, 1, 200, 0, 0, 0), "2023-07-19 00:00:00"},
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(show(util::date_normalise(c.in)), c.expected) << c.name;
    }
}

TEST(BackupName, Shapes)
{
    struct NameCase {
        const char* path;
        const char* expected;
    };
    const DateTime t = at(2024, 3, 9, 7, 5, 1);
    const NameCase cases[] = {
        {"/music/song.zem", "/music/song_20240309070501.zem"},
        {"/music/song", "/music/song_20240309070501"},
        {"/music/song.tar.zem", "/music/song.tar_20240309070501.zem"},
        {"/music/song.", "/music/song_20240309070501."},
        // A dot in a folder name is not an extension.
        {"/my.music/song", "/my.music/song_20240309070501"},
        {"song.mid", "song_20240309070501.mid"},
    };
    for (const NameCase& c : cases) {
        util::STRSET* name = util::backup_name(c.path, t);
        EXPECT_STREQ(util::ss_text(name), c.expected) << c.path;
        util::ss_free(name);
    }
}

TEST(BackupExisting, FreeNamesAdvanceBySeconds)
{
    struct ExistingCase {
        const char* name;
        std::vector<std::string> taken;
        const char* expected;
    };
    const ExistingCase cases[] = {
        {"first name free", {}, "out_20231231235958.zem"},
        {"first name taken", {"out_20231231235958.zem"}, "out_20231231235959.zem"},
        {"first and second taken, carry into the new year",
         {"out_20231231235958.zem", "out_20231231235959.zem"},
         "out_20240101000000.zem"},
    };
    for (const ExistingCase& c : cases) {
        TempDir dir;
        dir.write("out.zem", "old contents");
        for (const std::string& taken : c.taken) {
            dir.write(taken, "older");
        }
        ASSERT_TRUE(zem_test::setLocalMtime(dir.file("out.zem"), 2023, 12, 31, 23, 59, 58));
        ASSERT_EQ(chmod(dir.file("out.zem").c_str(), 0444), 0);
        util::STRSET* moved = util::backup_existing(dir.file("out.zem").c_str());
        ASSERT_NE(moved, nullptr) << c.name;
        EXPECT_EQ(util::ss_text(moved), dir.file(c.expected)) << c.name;
        util::ss_free(moved);
        EXPECT_FALSE(dir.exists("out.zem")) << c.name;
        EXPECT_EQ(dir.read(c.expected), "old contents") << c.name;
        for (const std::string& taken : c.taken) {
            EXPECT_EQ(dir.read(taken), "older") << c.name << ": " << taken << " was replaced";
        }
        struct stat st;
        ASSERT_EQ(stat(dir.file(c.expected).c_str(), &st), 0);
        EXPECT_NE(st.st_mode & S_IWUSR, 0u) << c.name << ": not made writable";
    }
}

TEST(BackupExisting, NothingToMove)
{
    TempDir dir;
    EXPECT_EQ(util::backup_existing(dir.file("absent.zem").c_str()), nullptr);
}

TEST(BackupExisting, UnmovableFileRaises)
{
    // A name already at the file system's limit has no room for the 15
    // characters of the time stamp, so the rename fails (for root too).
    TempDir dir;
    const std::string longest = std::string(251, 'n') + ".zem";
    dir.write(longest, "x");
    EXPECT_EQ(raisedCode([&] { util::backup_existing(dir.file(longest).c_str()); }), util::kErrFileCannotWrite);
    EXPECT_EQ(dir.read(longest), "x");
    EXPECT_EQ(dir.listing(), std::vector<std::string>{longest});
}

} // namespace
