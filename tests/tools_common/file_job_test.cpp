#include "common/file_job.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr util::ErrCode kConProof = 0x40000;
constexpr util::ErrCode kKnown = 0x40001;
constexpr util::ErrCode kUnknown = 0x40002;

using Reports = std::vector<std::pair<std::string, std::string>>;
Reports gReports;

void record(const char* caption, const char* text) { gReports.emplace_back(caption ? caption : "(none)", text); }

enum class RaiseAt { Nowhere, BeforeOutput, AfterOutput };

// Copies NAME.IN to NAME.OUT, raising `code` on the way when asked.
class CopyJob final : public tools::FileJob {
public:
    CopyJob(const std::string& word, RaiseAt at, util::ErrCode code, int32_t result)
        : FileJob(word, record), at_(at), code_(code), result_(result)
    {}

private:
    int32_t body() override
    {
        resolveInput("IN", kConProof);
        uint32_t size = 0;
        const uint8_t* bytes = loadInput(size);
        if (at_ == RaiseAt::BeforeOutput) util::uerr_raise(code_);
        createOutput(".OUT");
        util::fs_write(output(), bytes, size);
        if (at_ == RaiseAt::AfterOutput) util::uerr_raise(code_);
        if (result_ == 0) commitOutput();
        return result_;
    }

    std::string errorText(util::ErrCode code) const override
    {
        if (code == kConProof) return "reserved";
        if (code == kKnown) return "known";
        return code == util::kErrFileNotFound ? "not found" : "";
    }

    RaiseAt at_;
    util::ErrCode code_;
    int32_t result_;
};

struct JobCase {
    const char* name;
    std::string word; // relative to the folder, which holds "Song.in" ("data")
    RaiseAt at;
    util::ErrCode code;
    int32_t bodyResult;
    int32_t result;
    std::string caption; // file name in the folder; empty: no message
    std::string text;
    std::vector<std::string> listing;
};

TEST(ToolFileJob, ResolvesReportsAndNamesTheFileConcerned)
{
    const std::vector<JobCase> table = {
        {"copies, letter case as stored", "song", RaiseAt::Nowhere, 0, 0, 0, "", "", {"Song.OUT", "Song.in"}},
        {"missing input", "other", RaiseAt::Nowhere, 0, 0, -1, "other.IN", "not found", {"Song.in"}},
        {"reserved device name", "CON", RaiseAt::Nowhere, 0, 0, -1, "CON.IN", "reserved", {"Song.in"}},
        {"error before the output", "Song.in", RaiseAt::BeforeOutput, kKnown, 0, -1, "Song.in", "known", {"Song.in"}},
        {"error once writing", "Song.in", RaiseAt::AfterOutput, kKnown, 0, -1, "Song.OUT", "known", {"Song.in"}},
        {"reported on the way", "Song.in", RaiseAt::BeforeOutput, util::kErrReported, 0, -1, "", "", {"Song.in"}},
        {"failing result", "Song.in", RaiseAt::Nowhere, 0, 7, -1, "", "", {"Song.in"}},
    };
    for (const JobCase& c : table) {
        const zem_test::TempDir dir;
        dir.write("Song.in", "data");
        gReports.clear();
        EXPECT_EQ(CopyJob(dir.file(c.word), c.at, c.code, c.bodyResult).run(), c.result) << c.name;
        const Reports expected = c.caption.empty() ? Reports{} : Reports{{dir.file(c.caption), c.text}};
        EXPECT_EQ(gReports, expected) << c.name;
        EXPECT_EQ(dir.listing(), c.listing) << c.name;
        if (dir.exists("Song.OUT")) {
            EXPECT_EQ(dir.read("Song.OUT"), "data") << c.name;
        }
    }
}

TEST(ToolFileJob, CodeWithoutTextGoesToTheCallersFrame)
{
    const zem_test::TempDir dir;
    dir.write("Song.in", "data");
    gReports.clear();
    try {
        CopyJob(dir.file("Song.in"), RaiseAt::AfterOutput, kUnknown, 0).run();
        ADD_FAILURE() << "the code stayed in the job";
    } catch (const util::UerrRaised& raised) {
        EXPECT_EQ(raised.code, kUnknown);
    }
    EXPECT_TRUE(gReports.empty());
}

// An existing output moves to its backup name only when the new one is
// complete; a failed job leaves it as it was, and no file of its own.
TEST(ToolFileJob, ExistingOutputIsMovedToItsBackupNameOnlyOnSuccess)
{
    struct BackupCase {
        const char* name;
        RaiseAt at;
        int32_t bodyResult;
        std::vector<std::string> listing;
        const char* atOutput;
    };
    const BackupCase cases[] = {
        {"complete", RaiseAt::Nowhere, 0, {"Song.OUT", "Song.in", "Song_20261208013000.OUT"}, "data"},
        {"error once writing", RaiseAt::AfterOutput, 0, {"Song.OUT", "Song.in"}, "old"},
        {"failing result", RaiseAt::Nowhere, 7, {"Song.OUT", "Song.in"}, "old"},
    };
    for (const BackupCase& c : cases) {
        const zem_test::TempDir dir;
        dir.write("Song.in", "data");
        dir.write("Song.OUT", "old");
        ASSERT_TRUE(zem_test::setLocalMtime(dir.file("Song.OUT"), 2026, 12, 8, 1, 30, 0));
        gReports.clear();
        CopyJob(dir.file("Song"), c.at, kKnown, c.bodyResult).run();
        EXPECT_EQ(dir.listing(), c.listing) << c.name;
        EXPECT_EQ(dir.read("Song.OUT"), c.atOutput) << c.name;
        if (dir.exists("Song_20261208013000.OUT")) {
            EXPECT_EQ(dir.read("Song_20261208013000.OUT"), "old") << c.name;
        }
    }
}

} // namespace
