// The qzdecode program: PCM on standard output, the record on standard
// error, exit codes for every failure.
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    Bytes out;
    std::string err;
};

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Outcome runQzdecode(const std::string& args, const fs::path& folder)
{
    const fs::path out = folder / "stdout", err = folder / "stderr";
    std::string command = std::string(ZEM_BIN_DIR) + "/qzdecode " + args + " >'" + out.string() + "' 2>'"
        + err.string() + "'";
    int status = std::system(command.c_str());
    Outcome o;
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::string bytes = slurp(out);
    o.out.assign(bytes.begin(), bytes.end());
    o.err = slurp(err);
    return o;
}

class Qzdecode : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qzdecode-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, const Bytes& bytes)
    {
        fs::path path = folder / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    fs::path folder;
};

TEST_F(Qzdecode, WritesThePcmAndPrintsTheRecord)
{
    Bytes data;
    for (int i = 0; i < 50000; ++i)  // 24-bit stereo: conversion over several pieces
        for (int b = 0; b < 6; ++b)
            data.push_back(static_cast<uint8_t>(i * 7 + b * 13));
    fs::path file = write("in.wav", simpleWave(1, 2, 48000, 24, data));
    Outcome o = runQzdecode("'" + file.string() + "'", folder);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.err.find("channels 2, bytes per sample 2, flags 31, version 1, rate 48000 Hz, frames 50000"),
              std::string::npos)
        << o.err;
    ASSERT_EQ(o.out.size(), 50000u * 4);
    for (size_t f = 0; f < 50000; f += 997) {
        EXPECT_EQ(o.out[f * 4], data[f * 6 + 1]);
        EXPECT_EQ(o.out[f * 4 + 3], data[f * 6 + 5]);
    }
}

TEST_F(Qzdecode, ReportsEveryFailure)
{
    fs::path good = write("good.wav", simpleWave(1, 1, 8000, 8, Bytes(100, 0x80)));
    fs::path bad = write("bad.wav", Bytes(64, 'x'));
    struct Case {
        std::string args;
        int exitCode;
        std::string errPart;
    };
    const Case cases[] = {
        {"", 1, "usage: qzdecode FILE [DECODER]"},
        {"'" + bad.string() + "'", 1, "cannot decode"},
        {"'" + (folder / "absent.wav").string() + "'", 1, "cannot decode"},
        {"'" + good.string() + "' no-such-decoder.so", 1, "qzdecode:"},
        {"'" + good.string() + "' libc.so.6", 1, "is not a decoder"},
        {"a b c", 1, "usage"},
        {"'" + good.string() + "' qzwav.so", 0, "channels 1, bytes per sample 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        Outcome o = runQzdecode(c.args, folder);
        EXPECT_EQ(o.exitCode, c.exitCode);
        EXPECT_NE(o.err.find(c.errPart), std::string::npos) << o.err;
    }
}

TEST_F(Qzdecode, AnswersHelpAndVersion)
{
    Outcome help = runQzdecode("--help", folder);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(std::string(help.out.begin(), help.out.end()).find("usage: qzdecode"), std::string::npos);
    Outcome version = runQzdecode("--version", folder);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(std::string(version.out.begin(), version.out.end()).find("qzdecode"), std::string::npos);
}

} // namespace
