// The voice layer through the whole engine: notes of a port in output mode
// 1, the PARAM registers and META events that drive voices, and the
// handles given back by reset and close.
#include "image_builder.h"
#include "release_record.h"
#include "voice_recorder.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zemtest;
using Lines = std::vector<std::string>;

namespace {

constexpr uint16_t kMode1 = 1;

// One tick per unit, port 0 in output mode 1, a pool of `voices`, the
// current instrument `instrument`, with one sample loaded into it.
Words voiceSetup(uint16_t voices, uint16_t instrument)
{
    return cat({tempo(256), param(100, kMode1), param(101, voices), param(102, instrument), meta(0x80, bytesOf("s"))});
}

// Controllers 7, 11 and 10 as a note voice needs them to sound as it is.
Words fullChannel() { return {zem::makeCtrl(7, 127), zem::makeCtrl(11, 127), zem::makeCtrl(10, 64)}; }

TEST(EngineVoice, ThirdNoteStealsTheOldestOfTwoVoices)
{
    VoiceRecorder host;
    // Entries 61 and 62 play the voices of entry 60.
    VoiceSession s(host, {{cat({voiceSetup(4, 60),
                                meta(0x81, {1}),
                                param(118, 0x3D3E),
                                fullChannel(),
                                note(60, 100, false),
                                wait(1),
                                note(61, 100, false),
                                wait(1),
                                note(62, 100, false),
                                wait(200),
                                {zem::kEnd}})}});
    s.units(3);
    EXPECT_EQ(host.takeVoiceLog(),
              (Lines{"load 60 s 0 0 -> 1", "dup 1 -> 2", "position 2 0", "volume 2 16384", "pitch 2 0", "pan 2 0",
                     "start 2 0", "position 1 0", "volume 1 16384", "pitch 1 0", "pan 1 0", "start 1 0", "stop 2",
                     "position 2 0", "volume 2 16384", "pitch 2 0", "pan 2 0", "start 2 0"}));
    s.units(200);
    // Key 60 lost its voice to key 62: its note off finds nothing.
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"stop 1", "stop 2"}));
}

TEST(EngineVoice, NoteVoiceFollowsTheChannel)
{
    struct Step {
        Words change;
        Lines sent;
    };
    const Step steps[] = {
        {{zem::makeCtrl(7, 64)}, {"volume 1 8256"}},
        {{zem::makeCtrl(11, 64)}, {"volume 1 4160"}},
        {{zem::makeCtrl(10, 127)}, {"pan 1 16384"}},
        {{zem::makeCtrl(10, 0)}, {"pan 1 -16384"}},
        {{zem::makeBend(4096)}, {"pitch 1 256"}},
        {{zem::makeCtrl(101, 0), zem::makeCtrl(100, 0), zem::makeCtrl(6, 12)}, {"pitch 1 1536"}},
        {{zem::makeCtrl(100, 1), zem::makeCtrl(6, 2)}, {}}, // not the bend range while RPN 1 is selected
    };
    Words track = cat({voiceSetup(1, 60), fullChannel(), note(60, 0, false)});
    for (const auto& st : steps) track = cat({track, wait(5), st.change});
    track = cat({track, wait(5), {zem::kEnd}});
    VoiceRecorder host;
    VoiceSession s(host, {{track}});
    s.units(1);
    EXPECT_EQ(host.takeVoiceLog(),
              (Lines{"load 60 s 0 0 -> 1", "position 1 0", "volume 1 16384", "pitch 1 0", "pan 1 0", "start 1 0"}));
    for (const auto& st : steps) {
        s.units(5);
        EXPECT_EQ(host.takeVoiceLog(), st.sent) << (st.sent.empty() ? "nothing" : st.sent[0]);
    }
}

TEST(EngineVoice, DirectStarts)
{
    struct Case {
        const char* name;
        Words start;
        Lines log;
    };
    const Lines plain = {"position 1 0", "volume 1 16384", "pitch 1 0", "pan 1 0", "start 1 0"};
    const Lines looped = {"position 1 0", "volume 1 16384", "pitch 1 0", "pan 1 0", "start 1 1"};
    const Case cases[] = {
        {"PARAM 103", param(103, 5), plain},
        {"PARAM 104 loops", param(104, 5), looped},
        {"meta 0x82 without payload", meta(0x82, {}), plain},
        {"meta 0x82 with a loop byte", meta(0x82, {1}), looped},
        {"meta 0x82 with a zero loop byte", meta(0x82, {0}), plain},
        {"the instrument's loop flag", cat({param(121, 4), param(103, 5)}), looped},
        {"another instrument has no voice", param(103, 6), {}},
        {"skip mode starts nothing", cat({param(255, 1), param(103, 5), param(255, 0)}), {}},
        {"next-start values, then the defaults",
         cat({param(112, 0x2000), param(113, 0x100), param(114, 0xFF00), param(103, 5), param(103, 5)}),
         {"position 1 0", "volume 1 8192", "pitch 1 -256", "pan 1 256", "start 1 0", "stop 1", "position 1 0",
          "volume 1 16384", "pitch 1 0", "pan 1 0", "start 1 0"}},
        {"masters and the instrument",
         cat({param(106, 0x2000), param(107, 0x1000), param(108, 0x0100), param(109, 0x2000), param(110, 0x1000),
              param(111, 0x0200), param(103, 5)}),
         {"position 1 0", "volume 1 4096", "pitch 1 768", "pan 1 8192", "start 1 0"}},
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        VoiceSession s(host, {{cat({voiceSetup(1, 5), c.start, wait(10), {zem::kEnd}})}});
        s.units(1);
        Lines log = host.takeVoiceLog();
        log.erase(log.begin()); // the load
        EXPECT_EQ(log, c.log) << c.name;
    }
}

TEST(EngineVoice, DirectVoiceWithADurationEnds)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({voiceSetup(1, 5), meta(0x82, {0, 0, 0, 0, 10}), wait(50), {zem::kEnd}})}});
    s.units(1);
    host.takeVoiceLog();
    s.units(5);
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"playing 1"}));
    s.units(5);
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"stop 1"}));
}

TEST(EngineVoice, ReleaseEnvelopeAfterTheNoteOff)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({voiceSetup(1, 60),
                                meta(0x90, releaseRecord()),
                                param(121, 8),
                                fullChannel(),
                                note(60, 10),
                                wait(200),
                                {zem::kEnd}})}});
    s.units(1);
    host.takeVoiceLog();
    s.units(10); // the note ends in the 11th tick
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"volume 1 14745"}));
    s.units(40);
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"volume 1 8192"}));
    s.units(50);
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"stop 1"}));
}

TEST(EngineVoice, StopsOfTheMostRecentVoice)
{
    struct Case {
        const char* name;
        Words stop;
        Lines now, later;
    };
    const Case cases[] = {
        {"PARAM 105", param(105, 5), {"stop 1"}, {}},
        {"PARAM 105 of another instrument", param(105, 6), {}, {}},
        {"meta 0x83", meta(0x83, {}), {"stop 1"}, {}},
        {"meta 0x83 with a release time", meta(0x83, {0, 20}), {"volume 1 8192"}, {"stop 1"}},
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        VoiceSession s(host, {{cat({voiceSetup(1, 5), param(103, 5), wait(1), c.stop, wait(100), {zem::kEnd}})}});
        s.units(1);
        host.takeVoiceLog();
        s.units(10); // the stop runs in tick 2; the release has 10 of its units behind it
        EXPECT_EQ(host.takeVoiceLog(), c.now) << c.name;
        s.units(10);
        EXPECT_EQ(host.takeVoiceLog(), c.later) << c.name;
    }
}

TEST(EngineVoice, NotesReleasedByTheEngineStopTheirVoices)
{
    struct Case {
        const char* name;
        Words off;
        bool byOperation;
    };
    const Case cases[] = {
        {"ALL_NOTES_OFF", {zem::kAllNotesOff}, false},
        {"operation 13", {}, true},
        {"the same key again", note(60, 0, false), false},
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        VoiceSession s(
            host,
            {{cat({voiceSetup(1, 60), fullChannel(), note(60, 0, false), wait(2), c.off, wait(50), {zem::kEnd}})}});
        s.units(5);
        if (c.byOperation) s.player()->release_notes(s.player(), 1, 0);
        Lines stops = host.onlyUnstamped({"stop"});
        ASSERT_EQ(stops.size(), 1u) << c.name;
        EXPECT_EQ(stops[0], "stop 1") << c.name;
    }
}

TEST(EngineVoice, AddingAndRemovingVoices)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({voiceSetup(3, 7),
                                meta(0x81, {2}),
                                meta(0x81, {5}),
                                param(103, 7),
                                meta(0x81, {0xFF}),
                                meta(0x81, {0xFE}),
                                meta(0x81, {1}),
                                wait(5),
                                {zem::kEnd}})}});
    s.units(1);
    // The direct start takes voice 3 (the end of the list) to the front;
    // removal then takes 2, and 1 and the sounding 3.
    EXPECT_EQ(host.takeVoiceLog(),
              (Lines{"load 7 s 0 0 -> 1", "dup 1 -> 2", "dup 1 -> 3", "position 3 0", "volume 3 16384", "pitch 3 0",
                     "pan 3 0", "start 3 0", "free 2", "free 1", "stop 3", "free 3"}));
    EXPECT_TRUE(host.liveHandles.empty());
}

TEST(EngineVoice, NothingWithoutAPool)
{
    const Words cases[] = {
        meta(0x80, bytesOf("s")),
        meta(0x81, {1}),
        meta(0x82, {1}),
        meta(0x83, {}),
        meta(0x90, releaseRecord()),
        param(103, 0),
        param(105, 0),
        param(118, 0x0010),
        param(121, 8),
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        VoiceSession s(host, {{cat({tempo(256), param(100, kMode1), c, note(60, 2), {zem::kEnd}})}});
        s.units(10);
        EXPECT_EQ(host.voiceLog(), Lines{}) << c[0];
        EXPECT_TRUE(host.only({"on", "off"}).empty()) << "a port in output mode 1 sends no notes";
    }
}

TEST(EngineVoice, LoadParametersReachTheHostOnce)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({tempo(256),
                                param(101, 2),
                                param(102, 0x0105),
                                param(115, 9),
                                param(116, 0x0002),
                                param(117, 0x0001),
                                meta(0x80, bytesOf("a.wav")),
                                meta(0x80, bytesOf("b.wav")),
                                {zem::kEnd}})}});
    s.units(2);
    EXPECT_EQ(host.voiceLog(), (Lines{"load 261 a.wav 9 65538 -> 1", "load 261 b.wav 0 0 -> 2"}));
}

TEST(EngineVoice, ResetAndCloseFreeEveryHandle)
{
    VoiceRecorder host;
    Words track = cat({voiceSetup(8, 60),
                       meta(0x81, {3}),
                       param(102, 61),
                       meta(0x80, bytesOf("t")),
                       fullChannel(),
                       note(60, 0, false),
                       note(61, 0, false),
                       param(130, 4),
                       meta(0x84, bytesOf("x")),
                       meta(0x86, {}),
                       wait(100),
                       {zem::kEnd}});
    VoiceSession s(host, {{track}});
    s.units(3);
    ASSERT_EQ(host.liveHandles.size(), 5u);
    ASSERT_EQ(host.liveBlocks.size(), 2u) << "the instance and the pool";
    host.log.clear();
    s.player()->reset(s.player());
    EXPECT_TRUE(host.liveHandles.empty());
    EXPECT_EQ(host.liveBlocks.size(), 1u);
    EXPECT_EQ(host.onlyUnstamped({"stop", "sstop", "close"}), (Lines{"sstop 4", "close 4", "stop 4", "stop 5"}));
    // Played again from the start, then closed while playing.
    s.units(3);
    EXPECT_EQ(host.liveHandles.size(), 5u);
    s.close();
    EXPECT_TRUE(host.liveHandles.empty());
    EXPECT_TRUE(host.liveBlocks.empty());
}

TEST(EngineVoice, PoolDestroyedAndCreatedAgain)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({voiceSetup(2, 1),
                                param(101, 5),
                                meta(0x80, bytesOf("u")),
                                param(101, 0),
                                param(101, 0),
                                param(101, 1),
                                meta(0x80, bytesOf("v")),
                                meta(0x80, bytesOf("w")),
                                {zem::kEnd}})}});
    s.units(2);
    // A second PARAM 101 while the pool exists keeps its two voices.
    EXPECT_EQ(host.voiceLog(),
              (Lines{"load 1 s 0 0 -> 1", "load 1 u 0 0 -> 2", "free 2", "free 1", "load 1 v 0 0 -> 3"}));
    EXPECT_EQ(host.liveBlocks.size(), 2u);
}

} // namespace
