// Every playback error code with the offset of the command that raised it,
// and what the error callback's answer does.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

struct ErrorCase {
    const char* name;
    Words track;
    size_t failingWord; // index of the command word that fails
    int code;
};

Words loops(unsigned n)
{
    Words w(n, zem::makeByteClass(zem::kLoopBegin, 2));
    w.push_back(zem::kEnd);
    return w;
}

TEST(EngineErrors, EachCodeIsReportedAtItsCommand)
{
    const ErrorCase cases[] = {
        {"undefined class F3", {zem::makeWait(1), 0xF300, zem::kEnd}, 1, DP_UNDEFINED_COMMAND},
        {"undefined FEFF", {0xFEFF, zem::kEnd}, 0, DP_UNDEFINED_COMMAND},
        {"undefined FF00", {0xFF00, zem::kEnd}, 0, DP_UNDEFINED_COMMAND},
        {"undefined FFD7", {0xFFD7, zem::kEnd}, 0, DP_UNDEFINED_COMMAND},
        {"undefined register 43", cat({param(43, 1), {zem::kEnd}}), 0, DP_UNDEFINED_COMMAND},
        {"undefined register 99", cat({param(99, 1), {zem::kEnd}}), 0, DP_UNDEFINED_COMMAND},
        {"bar control 8", cat({param(25, 8), {zem::kEnd}}), 0, DP_ILLEGAL_PARAMETER},
        {"skip mark 300", cat({param(253, 300), {zem::kEnd}}), 0, DP_ILLEGAL_PARAMETER},
        {"skip unmark 0xFFFB", cat({param(254, 0xFFFB), {zem::kEnd}}), 0, DP_ILLEGAL_PARAMETER},
        {"macro code 46", cat({macro(46, {1}), {zem::kEnd}}), 0, DP_ILLEGAL_PARAMETER},
        {"macro code 63", cat({macro(63, {}), {zem::kEnd}}), 0, DP_ILLEGAL_PARAMETER},
        {"modulator target 128", {zem::makeModSet(0, 128), 5, zem::kEnd}, 0, DP_ILLEGAL_PARAMETER},
        {"modulator target 249",
         {zem::kModSwitch, zem::makeModSwitchOperand(249, 5, true), zem::kEnd},
         0,
         DP_ILLEGAL_PARAMETER},
        {"macro 20 with two bytes", cat({macro(20, {1, 2}), {zem::kEnd}}), 0, DP_ARGS_TOO_SHORT},
        {"macro 45 with 33 bytes", cat({macro(45, std::vector<uint8_t>(33, 0)), {zem::kEnd}}), 0, DP_ARGS_TOO_SHORT},
        {"loop end without loop", {zem::kLoopEnd, zem::kEnd}, 0, DP_LOOPSTACK_UNDERFLOW},
        {"loop break without loop", {zem::kLoopBreak, zem::kEnd}, 0, DP_LOOPSTACK_UNDERFLOW},
        {"17th loop", loops(17), 16, DP_LOOPSTACK_OVERFLOW},
        {"tempo 0 in track 0", cat({tempo(0), {zem::kEnd}}), 0, DP_TEMPO_ZERO},
        {"length missing", {zem::makeNote(60, true, true)}, 0, DP_OUT_OF_TRACK_DATA},
        {"no END", {zem::makeWait(2)}, 1, DP_OUT_OF_TRACK_DATA},
        {"sysex past the end", {zem::makeByteClass(zem::kSysex, 5), 0x43F0}, 0, DP_FIELD_OVERFLOW},
        {"text past the end", {zem::makeText(4), 0x6261, 0x6463}, 0, DP_FIELD_OVERFLOW},
        {"macro past the end", {zem::makeMacro(3, 4), 0x0101}, 0, DP_FIELD_OVERFLOW},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.errorAnswer = c.code; // stop at the first error
        ImagePlan plan{{c.track}};
        Session s(host, plan);
        ASSERT_NE(s.player(), nullptr) << c.name;
        s.units(100);
        ASSERT_EQ(host.errors.size(), 1u) << c.name;
        EXPECT_EQ(host.errors[0].offset, wordOffset(plan, 0, c.failingWord)) << c.name;
        EXPECT_EQ(host.errors[0].code, c.code) << c.name;
        EXPECT_EQ(s.player()->last_error_offset(s.player()), wordOffset(plan, 0, c.failingWord)) << c.name;
    }
}

TEST(EngineErrors, AnswerDecidesWhetherPlaybackGoesOn)
{
    Words track = cat({{0xF300}, note(60, 2), wait(200), {zem::kEnd}});
    struct AnswerCase {
        int answer;
        bool hasCallback;
        size_t notes;
    };
    const AnswerCase cases[] = {{0, true, 1}, {11, true, 0}, {99, true, 0}, {0, false, 0}};
    for (const auto& c : cases) {
        RecordingHost host;
        host.errorAnswer = c.answer;
        host.hasErrorCallback = c.hasCallback;
        Session s(host, ImagePlan{{track}});
        s.units(100);
        EXPECT_EQ(host.only({"on"}).size(), c.notes) << c.answer;
        // A stopped instance makes no progress: no units pass.
        EXPECT_EQ(host.unit, c.notes ? 100u : 0u) << c.answer;
    }
}

TEST(EngineErrors, ReadingPastTheEndEndsTheTrackWhenIgnored)
{
    RecordingHost host;
    Session s(host, ImagePlan{{{zem::makeWait(1)}, cat({note(60, 4), {zem::kEnd}})}});
    s.units(200);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].code, DP_OUT_OF_TRACK_DATA);
    EXPECT_EQ(s.player()->finished(s.player()), 1);
    EXPECT_EQ(host.onlyUnstamped({"on", "off"}), (std::vector<std::string>{"on 0 1 0 60 127", "off 0 1 0 60 127"}));
}

TEST(EngineErrors, StatusFromNoteOnStopsEveryTrack)
{
    RecordingHost host;
    host.answers["on"][1] = 7;
    Session s(host, ImagePlan{{cat({note(60, 2), note(62, 2), {zem::kEnd}}), cat({note(70, 2), {zem::kEnd}})}});
    s.units(100);
    // The first note on ends the start; the other track's note never runs.
    EXPECT_EQ(host.onlyUnstamped({"on", "off"}), (std::vector<std::string>{"on 0 0 0 60 127"}));
    EXPECT_EQ(s.player()->reset(s.player()), 0);
    host.answers.clear();
    s.units(100);
    EXPECT_EQ(host.only({"on"}).size(), 1u + 3u) << "a reset plays all three notes again";
}

} // namespace
