// zemplay --from and --at refuse what is not a place, each with its reason:
// a malformed value as a usage error, a place the score lacks as an error.
#include <deadline.h>
#include <run_program.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr const char* kScore = "#0 T150 o4 l8 c d e f g\n"
                               "#1 o3 l4 c e g c\n";

TEST(ZemplayPlaces, BadPlacesAreRefusedWithTheirReason)
{
    const zem_test::TempDir dir;
    dir.write("score.kvt", kScore);
    const std::string usage = "usage: zemplay";
    struct Case {
        std::vector<std::string> args;
        std::string error; // the first line of standard error
        int status;
    };
    const Case cases[] = {
        {{"--from", "0", "score.kvt"}, "zemplay: illegal place for --from: 0 (LINE[:COLUMN]), counted from 1", 2},
        {{"--from", "3:x", "score.kvt"}, "zemplay: illegal place for --from: 3:x (LINE[:COLUMN]), counted from 1", 2},
        {{"--from", "", "score.kvt"}, "zemplay: illegal place for --from:  (LINE[:COLUMN]), counted from 1", 2},
        {{"--at", "2:0", "score.kvt"}, "zemplay: illegal place for --at: 2:0 (BAR[:BEAT]), counted from 1", 2},
        {{"--at", "-1", "score.kvt"}, "zemplay: illegal place for --at: -1 (BAR[:BEAT]), counted from 1", 2},
        {{"score.kvt", "--at"}, "zemplay: --at needs a value", 2},
        {{"--from", "1", "--at", "1", "score.kvt"}, "zemplay: one of --from and --at only", 2},
        {{"-p", "MIDI Recorder", "--from", "40", "score.kvt"}, "zemplay: no command at line 40", 1},
        {{"-p", "MIDI Recorder", "--from", "1:200", "score.kvt"}, "zemplay: no command at line 1", 1},
        {{"-p", "MIDI Recorder", "--at", "90", "score.kvt"}, "zemplay: the song ends before that place", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const auto run = zem_test::runProgram("zemplay", c.args, dir.path(), {"ZEM_MIDI_RECORD=" + dir.file("rec")}, 0,
                                              zem_test::killAfter(30s));
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.error) << run.err;
        if (c.status == 2) EXPECT_NE(run.err.find(usage), std::string::npos);
    }
}

} // namespace
