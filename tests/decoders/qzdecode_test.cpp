// The qzdecode program: PCM on standard output, the record on standard
// error, exit codes for every failure.
#include "run_program.h"
#include "temp_dir.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

using zem_test::runProgram;
using zem_test::RunResult;

class Qzdecode : public testing::Test {
protected:
    std::string write(const std::string& name, const Bytes& bytes)
    {
        dir.write(name, std::string(bytes.begin(), bytes.end()));
        return dir.file(name);
    }
    RunResult run(const std::vector<std::string>& args) { return runProgram("qzdecode", args, dir.path()); }

    zem_test::TempDir dir;
};

TEST_F(Qzdecode, WritesThePcmAndPrintsTheRecord)
{
    Bytes data;
    for (int i = 0; i < 50000; ++i) // 24-bit stereo: conversion over several pieces
        for (int b = 0; b < 6; ++b) data.push_back(static_cast<uint8_t>(i * 7 + b * 13));
    const std::string file = write("in.wav", simpleWave(1, 2, 48000, 24, data));
    const RunResult o = run({file});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("channels 2, bytes per sample 2, flags 31, version 1, rate 48000 Hz, frames 50000"),
              std::string::npos)
        << o.err;
    ASSERT_EQ(o.out.size(), 50000u * 4);
    for (size_t f = 0; f < 50000; f += 997) {
        EXPECT_EQ(uint8_t(o.out[f * 4]), data[f * 6 + 1]);
        EXPECT_EQ(uint8_t(o.out[f * 4 + 3]), data[f * 6 + 5]);
    }
}

TEST_F(Qzdecode, ReportsEveryFailure)
{
    const std::string good = write("good.wav", simpleWave(1, 1, 8000, 8, Bytes(100, 0x80)));
    const std::string bad = write("bad.wav", Bytes(64, 'x'));
    const std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string errPart;
    };
    const Case cases[] = {
        {{}, 1, "usage: qzdecode FILE [DECODER]"},
        {{bad}, 1, "cannot decode"},
        {{dir.file("absent.wav")}, 1, "cannot decode"},
        {{fifo}, 1, "cannot decode"}, // refused, not waited on
        {{good, "no-such-decoder.so"}, 1, "qzdecode:"},
        {{good, std::string(ZEM_BIN_DIR) + "/libaudsink.so"}, 1, "is not a decoder"},
        // A system library by bare name: never searched for.
        {{good, "libc.so.6"}, 1, "no decoder libc.so.6"},
        {{"a", "b", "c"}, 1, "usage"},
        {{good, "qzwav.so"}, 0, "channels 1, bytes per sample 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const RunResult o = run(c.args);
        EXPECT_EQ(o.status, c.exitCode);
        EXPECT_NE(o.err.find(c.errPart), std::string::npos) << o.err;
    }
}

TEST_F(Qzdecode, AnswersHelpAndVersion)
{
    const RunResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: qzdecode"), std::string::npos);
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("qzdecode"), std::string::npos);
}

} // namespace
