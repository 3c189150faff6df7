// The option words of the programs that read them through one table: what
// each says and how it exits for a bad or a mixed line.
#include <run_program.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LineCase {
    std::string program;
    std::vector<std::string> args;
    int status;
    std::string out; // what standard output begins with
    std::string err; // what standard error begins with
};

TEST(ToolCommandLines, MessagesAndExitCodes)
{
    const std::string midBanner = "MID2KVT for Win32 \xE4\xB9\x99\xE6\x88\x8C\xE6\x96\x87\xE6\x9C\x88\xE7\x89\x88";
    const std::vector<LineCase> table = {
        {"zem2wav", {"-o"}, 1, "", "-o needs the name of the output file.\n"},
        {"zem2wav", {"-o", "", "a"}, 1, "", "-o needs the name of the output file.\n"},
        {"zem2wav", {"-o", "x.wav", "a", "b"}, 1, "", "-o names the output of exactly one file.\n"},
        {"zem2wav", {"-o", "x.wav", "-L1"}, 1, "", "-o names the output of exactly one file.\n"},
        {"zem2wav", {"a", "--loudness"}, 1, "", "--loudness needs a loudness in LUFS.\n"},
        {"zem2wav", {"--loudness=-71", "a"}, 1, "", "--loudness takes a loudness from -70 to 0 LUFS, not \"-71\".\n"},
        {"zem2wav",
         {"--loudness", "loud", "a"},
         1,
         "",
         "--loudness takes a loudness from -70 to 0 LUFS, not \"loud\".\n"},
        {"zemplay", {"a.kvt", "-p"}, 2, "", "zemplay: -p needs a value\nusage: zemplay "},
        {"zemplay", {"-x"}, 2, "", "zemplay: unknown option -x\nusage: zemplay "},
        {"zemplay", {"-L3x", "a.kvt"}, 2, "", "zemplay: illegal loop count: 3x\n"},
        {"zemplay", {"-p", "--help"}, 2, "", "zemplay: no file\n"}, // a port named "--help"
        {"zemplay",
         {"a.kvt", "--help", "-x"},
         0,
         "usage: zemplay [-F switches] [-p PORT] [-L loops] [--from LINE[:COL] | --at BAR[:BEAT]]\n",
         ""},
        {"zemplay", {"--list", "--version"}, 0, "zemplay 0.47\n", ""},
        {"mid2kvt", {"a.mid", "--help"}, 0, "usage: mid2kvt MIDIfile [MIDIfile ...]\n", ""},
        {"mid2kvt", {"--version", "--help"}, 0, midBanner + "\n", ""},
        {"qzdecode", {"a.wav", "--version"}, 0, "qzdecode 0.47\n", ""},
    };
    for (const LineCase& c : table) {
        const zem_test::TempDir dir;
        const auto run = zem_test::runProgram(c.program, c.args, dir.path());
        const std::string name = c.program + " " + ::testing::PrintToString(c.args);
        EXPECT_EQ(run.status, c.status) << name << "\n" << run.err;
        EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << name;
        EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << name;
        // Nothing is converted, rendered or played.
        EXPECT_TRUE(dir.listing().empty()) << name;
    }
}

} // namespace
