// The mid2kvt program run for real in a temporary folder: file naming, fix
// case, backups, messages with their captions, and exit codes.
#include "run_program.h"
#include "smf_bytes.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace mid2kvt_test {
namespace {

namespace fs = std::filesystem;
using zem_test::RunResult;

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};
const Bytes kTune = mthd(0, 1, 480) + mtrk(Bytes{0x00, 0xC0, 0x00} + kEnd);
const std::string kTuneText = "#0 %1920 `+1 /----------\r\n :0 @1\r\n /[end of track]\r\n\r\n";
const std::string kBanner = "MID2KVT for Win32 \xE4\xB9\x99\xE6\x88\x8C\xE6\x96\x87\xE6\x9C\x88\xE7\x89\x88";

class ProgramTest : public ::testing::Test {
protected:
    RunResult run(const std::vector<std::string>& args)
    {
        return zem_test::runProgram("mid2kvt", args, scratch_.path());
    }
    std::vector<std::string> listing() const { return scratch_.listing(); }
    std::string path(const std::string& name) const { return scratch_.file(name); }

    zem_test::TempDir scratch_;
    fs::path dir_ = scratch_.path();
};

TEST_F(ProgramTest, NoFileShowsTheNoticeAndWritesNothing)
{
    const RunResult r = run({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(kBanner + ": ", 0), 0u) << r.err;
    EXPECT_TRUE(listing().empty());
}

TEST_F(ProgramTest, HelpAndVersion)
{
    const RunResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: mid2kvt", 0), 0u) << help.out;
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, kBanner + "\n");
    EXPECT_TRUE(listing().empty());
}

TEST_F(ProgramTest, NamesAreFoundAndOutputsNamed)
{
    struct Case {
        const char* file; // written before the run
        std::vector<std::string> args;
        const char* output;
    };
    const std::vector<Case> cases = {
        {"Tune.MID", {"tune"}, "Tune.KVT"}, // fix case finds the file, default extension
        {"song.mid", {"song.mid"}, "song.KVT"}, {"-x.mid", {"-x"}, "-x.KVT"}, // no switches: "-" starts a name
        {"noext", {"noext."}, "noext.KVT"},                                   // a final "." asks for no extension
        {"abs.mid", {"ABS.MID"}, "abs.KVT"},
    };
    for (const Case& c : cases) {
        zem_test::writeBytes(dir_ / c.file, kTune);
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, 0) << c.file << r.err;
        EXPECT_EQ(r.err, "") << c.file;
        EXPECT_EQ(zem_test::readFile(path(c.output)), kTuneText) << c.file;
    }
    zem_test::writeBytes(dir_ / "slash.mid", kTune);
    EXPECT_EQ(run({path("slash")}).status, 0);
    EXPECT_EQ(zem_test::readFile((dir_ / "slash.KVT").string()), kTuneText);
}

TEST_F(ProgramTest, EveryFileMessageWithItsCaption)
{
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
        bool captionIsOutput; // the output was open when the error arose
    };
    const std::vector<Case> cases = {
        {"short.mid", {'M', 'T'}, "Not have enough size.", false},
        {"riff.mid", tag("RIFF") + be32(4) + tag("WAVE"), "'MThd' not match.", false},
        {"format.mid", tag("MThd") + be32(5) + Bytes(6, 0), "'MThd' format error.", false},
        {"chunk.mid", mthd(1, 2, 96) + mtrk(kEnd) + tag("XFIH") + be32(0), "'MTrk' not match.", true},
        {"delta.mid", mthd(0, 1, 96) + mtrk({0x81, 0x80, 0x80, 0x80, 0x00}), "Deltatime too long.", true},
        {"missing.mid", {}, "File not found", false},
        {"con.mid", kTune, "CON\\CON-Proof affected.", false},
    };
    for (const Case& c : cases) {
        if (std::string(c.name) != "missing.mid") zem_test::writeBytes(dir_ / c.name, c.file);
        const RunResult r = run({c.name});
        const std::string input = path(c.name);
        const std::string caption = c.captionIsOutput ? input.substr(0, input.size() - 3) + "KVT" : input;
        EXPECT_EQ(r.status, 255) << c.name;
        EXPECT_EQ(r.err, caption + ": " + c.message + "\n") << c.name;
        // A failed conversion leaves no output, not even its temporary file.
        EXPECT_FALSE(fs::exists(input.substr(0, input.size() - 3) + "KVT")) << c.name;
        for (const std::string& name : listing()) EXPECT_NE(name[0], '.') << c.name << ": " << name;
    }
}

// Warnings name the output; the file still converts and the run succeeds.
TEST_F(ProgramTest, WhatTheTextCannotSayIsToldOncePerFile)
{
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::string> messages;
    };
    const Bytes longMeta = Bytes{0x00, 0xFF, 0x01, 0x82, 0x2C} + Bytes(300, 'x');
    const std::vector<Case> cases = {
        {"plain.mid", kTune, {}},
        {"loud.mid",
         mthd(0, 1, 96) + mtrk(Bytes{0x00, 0x90, 60, 0xCC, 0x00, 62, 0xCC} + kEnd),
         {"Data bytes above 127 were read as 127."}},
        {"long.mid",
         mthd(1, 2, 96) + mtrk(kEnd) + mtrk(longMeta + longMeta + Bytes{0x00, 0x90, 60, 0x80}),
         {"Data bytes above 127 were read as 127.",
          "Track 1: a meta event of 300 bytes is past the 255 an info item takes; the text will not compile."}},
    };
    for (const Case& c : cases) {
        zem_test::writeBytes(dir_ / c.name, c.file);
        const RunResult r = run({c.name});
        const std::string input = path(c.name);
        const std::string output = input.substr(0, input.size() - 3) + "KVT";
        std::string expected;
        for (const std::string& m : c.messages) expected += output + ": " + m + "\n";
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.err, expected) << c.name;
        EXPECT_TRUE(fs::exists(output)) << c.name;
    }
}

TEST_F(ProgramTest, AFailedFileDoesNotStopTheOthers)
{
    zem_test::writeBytes(dir_ / "a.mid", kTune);
    zem_test::writeBytes(dir_ / "c.mid", kTune);
    const RunResult r = run({"a", "b", "c"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, path("b.MID") + ": File not found\n");
    EXPECT_EQ(zem_test::readFile((dir_ / "a.KVT").string()), kTuneText);
    EXPECT_EQ(zem_test::readFile((dir_ / "c.KVT").string()), kTuneText);
}

TEST_F(ProgramTest, ExistingOutputsMoveToBackupNames)
{
    zem_test::writeBytes(dir_ / "tune.mid", kTune);
    zem_test::writeBytes(dir_ / "tune.KVT", textBytes("old text"));
    ASSERT_TRUE(zem_test::setLocalMtime((dir_ / "tune.KVT").string(), 2024, 2, 29, 23, 59, 59));
    // The first backup name is taken: the time moves one second on, across
    // the month end.
    zem_test::writeBytes(dir_ / "tune_20240229235959.KVT", textBytes("older"));
    chmod((dir_ / "tune.KVT").c_str(), 0444);

    const RunResult r = run({"tune"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zem_test::readFile((dir_ / "tune.KVT").string()), kTuneText);
    EXPECT_EQ(zem_test::readFile((dir_ / "tune_20240301000000.KVT").string()), "old text");
    EXPECT_EQ(zem_test::readFile((dir_ / "tune_20240229235959.KVT").string()), "older");
    EXPECT_EQ(listing(),
              (std::vector<std::string>{"tune.KVT", "tune.mid", "tune_20240229235959.KVT", "tune_20240301000000.KVT"}));
}

TEST_F(ProgramTest, NoExistingFileIsLost)
{
    // tune.kvt is the output in another letter case; x.kvt holds a MIDI file
    // whose output would be the input itself.
    zem_test::writeBytes(dir_ / "tune.mid", kTune);
    zem_test::writeBytes(dir_ / "tune.kvt", textBytes("old text"));
    ASSERT_TRUE(zem_test::setLocalMtime((dir_ / "tune.kvt").string(), 2024, 2, 29, 23, 59, 59));
    zem_test::writeBytes(dir_ / "x.kvt", kTune);

    const RunResult r = run({"tune", "x.kvt"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, path("x.kvt") + ": File cannot write\n");
    EXPECT_EQ(listing(), (std::vector<std::string>{"tune.kvt", "tune.mid", "tune_20240229235959.kvt", "x.kvt"}));
    EXPECT_EQ(zem_test::readFile((dir_ / "tune.kvt").string()), kTuneText);
    EXPECT_EQ(zem_test::readFile((dir_ / "tune_20240229235959.kvt").string()), "old text");
    EXPECT_EQ(zem_test::readFile((dir_ / "x.kvt").string()), std::string(kTune.begin(), kTune.end()));
}

TEST_F(ProgramTest, AFailedConversionKeepsTheOldOutputUntouched)
{
    // Two tracks announced, one present: the conversion fails part way.
    zem_test::writeBytes(dir_ / "cut.mid", mthd(1, 2, 480) + mtrk(Bytes{0x00, 0xC0, 0x00} + kEnd));
    zem_test::writeBytes(dir_ / "cut.KVT", textBytes("kept"));
    ASSERT_TRUE(zem_test::setLocalMtime((dir_ / "cut.KVT").string(), 2023, 12, 31, 23, 59, 59));
    const RunResult r = run({"cut.mid"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, path("cut.KVT") + ": Not have enough size.\n");
    EXPECT_EQ(zem_test::readFile((dir_ / "cut.KVT").string()), "kept");

    // A file refused at its header leaves the old output alone.
    zem_test::writeBytes(dir_ / "bad.mid", tag("RIFF"));
    zem_test::writeBytes(dir_ / "bad.KVT", textBytes("untouched"));
    EXPECT_EQ(run({"bad"}).status, 255);
    EXPECT_EQ(zem_test::readFile((dir_ / "bad.KVT").string()), "untouched");
    EXPECT_EQ(listing(), (std::vector<std::string>{"bad.KVT", "bad.mid", "cut.KVT", "cut.mid"}));
}

// AddressSanitizer reserves more address space than any useful limit, and
// the program is built as this test is.
#if defined(__SANITIZE_ADDRESS__)
#define MID2KVT_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MID2KVT_TEST_UNDER_ASAN 1
#endif
#endif

#ifndef MID2KVT_TEST_UNDER_ASAN
TEST_F(ProgramTest, AChunkTooLargeForMemoryEndsTheRunWithOutOfMemory)
{
    // One chunk of 8 million note-ons under running status: its event list
    // needs about 200 MB, the program gets 160 MB of address space.
    Bytes events{0x00, 0x90, 60, 100};
    for (int i = 0; i < 8'000'000; ++i) events.insert(events.end(), {0x00, 60, 100});
    zem_test::writeBytes(dir_ / "huge.mid", mthd(0, 1, 96) + mtrk(events));
    zem_test::writeBytes(dir_ / "after.mid", kTune);
    const RunResult r = zem_test::runProgram("mid2kvt", {"huge", "after"}, dir_.string(), {}, 160u << 20);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, kBanner + ": Out of memory\n");
    EXPECT_FALSE(fs::exists(dir_ / "after.KVT"));
}
#endif

} // namespace
} // namespace mid2kvt_test
