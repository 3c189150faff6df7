// zem2wav run for real: WAVE files read back by the project's decoder and
// by sox, song lengths under the loop switches, output names and backups,
// messages and exit codes, and the temporary image of a KVT source.
#include "deadline.h"
#include "run_program.h"
#include "shell_command.h"
#include "temp_dir.h"
#include "wave_bytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using zem2wav_test::readLe;
using zem2wav_test::shell;
using zem_test::runProgram;
using zem_test::TempDir;
using zem_test::withPath;

constexpr uint64_t kRate = 44100;
constexpr uint64_t kMaxTailFrames = 5 * kRate;

// Frames of a WAVE file as its header states them (0 when malformed).
uint64_t waveFrames(const std::string& bytes)
{
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || readLe(bytes, 4, 4) != bytes.size() - 8) return 0;
    return readLe(bytes, 40, 4) / 4;
}

// a.kvt beside an older output `name` holding "older", last written on
// 2024-02-29 at 23:59:59 local time, the second before a day and a month end.
void writeSourceBesideOlderOutput(const TempDir& dir, const std::string& name)
{
    dir.write("a.kvt", "T200 c\n");
    dir.write(name, "older");
    ASSERT_TRUE(zem_test::setLocalMtime(dir.file(name), 2024, 2, 29, 23, 59, 59));
}

TEST(Zem2wavCli, ReadBackByTheDecoderAndBySox)
{
    TempDir dir;
    dir.write("song.kvt", "#0 T120 @1 v100 l4 o4 c e g > c\n#1 :9 v110 l8 [8 c ]\n");
    const auto result = runProgram("zem2wav", {"song.kvt"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string wave = dir.read("song.WAV");
    const uint64_t frames = waveFrames(wave);
    // Two seconds of notes after the engine's 10 ms lead-in, then the tail.
    EXPECT_GE(frames, 2010 * kRate / 1000);
    EXPECT_LE(frames, 2010 * kRate / 1000 + kMaxTailFrames);
    char line[64];
    std::snprintf(line, sizeof line, ": %.3f s\n", double(frames) / kRate);
    EXPECT_NE(result.out.find(dir.file("song.WAV") + line), std::string::npos) << result.out;

    const auto decoded = runProgram("qzdecode", {"song.WAV"}, dir.path());
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_NE(decoded.err.find("channels 2, bytes per sample 2,"), std::string::npos) << decoded.err;
    EXPECT_NE(decoded.err.find("rate 44100 Hz, frames " + std::to_string(frames)), std::string::npos) << decoded.err;
    EXPECT_TRUE(decoded.out == wave.substr(44)) << "decoded PCM differs from the file's samples";

    const auto [status, soxOut] = shell("sox -V2 '" + dir.file("song.WAV") + "' -n stat");
    EXPECT_EQ(status, 0) << soxOut;
    EXPECT_EQ(soxOut.find("WARN"), std::string::npos) << soxOut;
    EXPECT_NE(soxOut.find("Length (seconds):"), std::string::npos) << soxOut;
    double maxAmplitude = 0;
    const size_t at = soxOut.find("Maximum amplitude:");
    ASSERT_NE(at, std::string::npos);
    std::sscanf(soxOut.c_str() + at, "Maximum amplitude: %lf", &maxAmplitude);
    EXPECT_GT(maxAmplitude, 0.05) << "the song should be heard";
}

TEST(Zem2wavCli, LoopDelayAndFadeSetTheLength)
{
    // One pass of the loop is 500 ms; 10 ms of lead-in come first.
    TempDir dir;
    dir.write("loop.kvt", "T120 v100 [0 c4 ]\n");
    ASSERT_EQ(runProgram("zemc", {"loop"}, dir.path()).status, 0);
    struct Case {
        std::vector<std::string> switches;
        uint64_t songMs;
    };
    const Case cases[] = {
        {{}, 10 + 1000 + 1000 + 9001}, // two passes, 1 s delay, 9 s fade
        {{"-L1", "-D0", "-F499"}, 10 + 500 + 500},
        {{"-L1-D200-F0"}, 10 + 500 + 200 + 1},
        {{"-Z"}, 10 + 500},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.switches;
        args.push_back("loop");
        std::remove(dir.file("loop.WAV").c_str());
        const auto result = runProgram("zem2wav", args, dir.path());
        ASSERT_EQ(result.status, 0) << result.err;
        const uint64_t frames = waveFrames(dir.read("loop.WAV"));
        const uint64_t song = c.songMs * kRate / 1000;
        const std::string label = c.switches.empty() ? "defaults" : c.switches[0];
        EXPECT_GE(frames + 2 * 441, song) << label; // within 2 ms of the song's end
        EXPECT_LE(frames, song + kMaxTailFrames) << label;
    }
}

TEST(Zem2wavCli, MessagesExitCodesAndBackups)
{
    const std::string banner = "ZEM2WAV ver 0.47";
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string err; // "@" stands for the folder
        int status;
        std::vector<std::string> created;
    };
    const std::vector<Case> cases = {
        {{"-Q", "a"}, {}, banner + ": Illegal option.\n", 1, {}},
        {{"nosuch", "a"}, {}, "@/nosuch.ZEM: File not found\n", 1, {"a.WAV"}},
        {{"junk.zem"}, {}, "@/junk.zem: ZEM format error.\n", 1, {}},
        {{"bad.kvt"}, {}, "@/bad.kvt: Loop still open in 2.\n", 1, {}},
        {{"aux.zem"}, {}, "@/aux.zem: CON\\CON-Proof affected.\n", 1, {}},
        {{"a"},
         {"ZEM_SOUNDFONT=/nonexistent/gm.sf2"},
         "@/a.ZEM: Synthesizer not available: cannot load the SoundFont /nonexistent/gm.sf2.\n",
         1,
         {}},
        {{"a.kvt", "-Z"}, {}, "", 0, {"a.WAV"}},
        // What the file holds decides, not its name.
        {{"song.txt", "-Z"}, {}, "", 0, {"song.WAV"}},
        {{"text.zem"}, {}, "@/text.zem: Loop still open in 2.\n", 1, {}},
        {{"image.kvt", "-Z"}, {}, "", 0, {"image.WAV"}},
        {{"tune.dat", "-Z"}, {}, "", 0, {"tune.WAV"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TempDir tmp;
        dir.write("a.kvt", "T200 c\n");
        ASSERT_EQ(runProgram("zemc", {"a"}, dir.path()).status, 0);
        dir.write("junk.zem", "QORSZEM:not an image");
        dir.write("song.txt", "T200 c\n");
        dir.write("text.zem", "c\n[2 c\n");
        dir.write("image.kvt", dir.read("a.ZEM"));
        dir.write(
            "tune.dat",
            std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0C\0\x90\x3C\x40\x60\x80\x3C\x40\0\xFF\x2F\0", 34));
        dir.write("bad.kvt", "c\n[2 c\n");
        const auto before = dir.listing();
        std::vector<std::string> env = c.env;
        env.push_back("TMPDIR=" + tmp.path());
        const auto result = runProgram("zem2wav", c.args, dir.path(), env);
        const std::string err = withPath(c.err, dir.path());
        const std::string label = c.args[0];
        EXPECT_EQ(result.err, err) << label;
        EXPECT_EQ(result.status, c.status) << label;
        std::vector<std::string> expected = before;
        expected.insert(expected.end(), c.created.begin(), c.created.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dir.listing(), expected) << label;
        EXPECT_TRUE(tmp.listing().empty()) << label << ": the temporary image is removed";
    }
}

TEST(Zem2wavCli, ShortWriteIsReported)
{
    // A file-size limit of 50 KB (and SIGXFSZ ignored) makes a write come
    // up short: the user is told, the run fails, and the old output stays
    // as it was, with no partial file beside it.
    TempDir dir;
    dir.write("a.kvt", "T120 l1 c d e f\n");
    dir.write("a.WAV", "old");
    const auto [status, output] = shell("{ cd '" + dir.path() +
                                        "' && trap '' XFSZ && ulimit -f 100 && exec " ZEM_BIN_DIR
                                        "/zem2wav a.kvt >/dev/null; }");
    EXPECT_NE(status, 0);
    EXPECT_EQ(output, dir.file("a.WAV") + ": File cannot write\n");
    EXPECT_EQ(dir.read("a.WAV"), "old");
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.WAV", "a.kvt"}));
}

TEST(Zem2wavCli, ExistingOutputMovesToItsBackupName)
{
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(writeSourceBesideOlderOutput(dir, "a.WAV"));
    dir.write("a_20240229235959.WAV", "oldest");
    ASSERT_EQ(runProgram("zem2wav", {"a.kvt"}, dir.path()).status, 0);
    EXPECT_EQ(dir.read("a_20240229235959.WAV"), "oldest");
    EXPECT_EQ(dir.read("a_20240301000000.WAV"), "older");
    EXPECT_GT(waveFrames(dir.read("a.WAV")), 0u);
}

TEST(Zem2wavCli, FileNamesReachTheTerminalWithoutControls)
{
    TempDir dir;
    const std::string name = "t\x1b]2;owned\x07.kvt";
    dir.write(name, "T200 c\n");
    const auto result = runProgram("zem2wav", {name}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("t?]2;owned?.WAV: "), std::string::npos) << result.out;
    for (const std::string* text : {&result.out, &result.err})
        EXPECT_EQ(text->find_first_of("\x1b\x07"), std::string::npos) << *text;
}

// A render stopped by a signal while it writes leaves the folder as it was:
// no output, no hidden partial file.
TEST(Zem2wavCli, AStoppedRenderLeavesNoPartialFile)
{
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        dir.write("long.kvt", "T120 l1 [200 c e g ]\n");
        const auto stopWhenWriting = [&](pid_t pid) {
            // Until the temporary output has grown past its header.
            for (int i = 0; i < 400; ++i) {
                for (const std::string& name : dir.listing()) {
                    struct stat st;
                    if (name.ends_with(".part") && stat(dir.file(name).c_str(), &st) == 0 && st.st_size > 65536) {
                        kill(pid, sig);
                        EXPECT_TRUE(zem_test::endsWithin(pid, std::chrono::seconds(10)));
                        return;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            ADD_FAILURE() << "no temporary output appeared";
            kill(pid, SIGKILL);
        };
        runProgram("zem2wav", {"long.kvt"}, dir.path(), {}, 0, stopWhenWriting);
        EXPECT_EQ(dir.listing(), std::vector<std::string>{"long.kvt"});
    }
}

TEST(Zem2wavCli, NoExistingFileIsLost)
{
    // a.wav is the output in another letter case; x.wav is an image whose
    // output would be the image itself.
    TempDir dir;
    ASSERT_NO_FATAL_FAILURE(writeSourceBesideOlderOutput(dir, "a.wav"));
    dir.write("x.kvt", "c");
    ASSERT_EQ(runProgram("zemc", {"-S.wav", "x"}, dir.path()).status, 0);
    const std::string image = dir.read("x.wav");

    const auto result = runProgram("zem2wav", {"a.kvt", "x.wav"}, dir.path());
    EXPECT_EQ(result.err, dir.file("x.wav") + ": File cannot write\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.kvt", "a.wav", "a_20240229235959.wav", "x.kvt", "x.wav"}));
    EXPECT_EQ(dir.read("a_20240229235959.wav"), "older");
    EXPECT_GT(waveFrames(dir.read("a.wav")), 0u);
    EXPECT_EQ(dir.read("x.wav"), image);
}

// A render longer than the limit is refused before anything is written,
// with the song's length; -T sets the limit.
TEST(Zem2wavCli, TooLongRendersAreRefusedUpFront)
{
    struct LengthCase {
        std::vector<std::string> args;
        const char* song;
        std::string err; // "@" stands for the source's path
    };
    const LengthCase cases[] = {
        {{"a.kvt"},
         "T*16777215 l1 c r\n",
         "@: Song plays 7:00:31, longer than the render limit of 4:00:00 (-T raises it, in minutes).\n"},
        {{"-T0", "a.kvt"},
         "T120 l1 c\n",
         "@: Song plays 0:00:02, longer than the render limit of 0:00:00 (-T raises it, in minutes).\n"},
        {{"-T1", "a.kvt"}, "T120 l1 c\n", ""},
    };
    for (const LengthCase& c : cases) {
        TempDir dir;
        dir.write("a.kvt", c.song);
        dir.write("a.WAV", "older");
        const auto result = runProgram("zem2wav", c.args, dir.path());
        const std::string err = withPath(c.err, dir.file("a.kvt"));
        EXPECT_EQ(result.err, err) << c.args[0];
        EXPECT_EQ(result.status, err.empty() ? 0 : 1) << c.args[0];
        if (err.empty()) continue;
        EXPECT_EQ(dir.listing(), (std::vector<std::string>{"a.WAV", "a.kvt"})) << c.args[0];
        EXPECT_EQ(dir.read("a.WAV"), "older") << c.args[0];
    }
}

// A song that plays the file its render would replace (the output takes an
// existing file's letter case) is refused, naming the file; the file stays.
TEST(Zem2wavCli, OutputNeverReplacesAFileTheSongPlays)
{
    TempDir dir;
    dir.write("tone.kvt", "T200 c\n");
    ASSERT_EQ(runProgram("zem2wav", {"tone.kvt"}, dir.path()).status, 0);
    const std::string wave = dir.read("tone.WAV");
    dir.write("song.kvt", "#0 T120 l4 =130,0 ?132\"Song.WAV\" ?134 c d\n");
    ASSERT_EQ(std::rename(dir.file("tone.WAV").c_str(), dir.file("Song.WAV").c_str()), 0);
    const auto before = dir.listing();
    const auto result = runProgram("zem2wav", {"song.kvt"}, dir.path());
    EXPECT_EQ(result.err, dir.file("Song.WAV") + ": The song plays this file; it is not replaced by the render.\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(dir.listing(), before);
    EXPECT_EQ(dir.read("Song.WAV"), wave);
}

TEST(Zem2wavCli, HelpVersionAndUsage)
{
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        bool usage;
    };
    const Case cases[] = {{{}, true}, {{"--help"}, true}, {{"--version"}, false}};
    for (const Case& c : cases) {
        const auto result = runProgram("zem2wav", c.args, dir.path());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.rfind("ZEM2WAV ver 0.47\n", 0), 0u) << result.out;
        EXPECT_EQ(result.out.find("> zem2wav [sw] FILE") != std::string::npos, c.usage) << result.out;
        EXPECT_EQ(result.err, "");
    }
}

} // namespace
