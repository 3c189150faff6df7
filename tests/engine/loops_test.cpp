// Counted, nested and endless loops, loop breaks, the endless-loop
// callback and the pass counts hosts read.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

uint16_t loopBegin(unsigned passes) { return zem::makeByteClass(zem::kLoopBegin, passes); }

std::vector<int> keysPlayed(const RecordingHost& host)
{
    std::vector<int> keys;
    for (const auto& line : host.onlyUnstamped({"on"}))
        keys.push_back(std::stoi(line.substr(line.rfind(' ', line.size() - 5))));
    return keys;
}

struct LoopCase {
    const char* name;
    Words track;
    uint32_t leaveAtPass;
    std::vector<int> keys;
    size_t loopCalls;
};

TEST(EngineLoops, PassesBreaksAndEndlessLoops)
{
    const LoopCase cases[] = {
        {"three passes", cat({{loopBegin(3)}, note(60, 2), {zem::kLoopEnd}, note(61, 2)}), 0, {60, 60, 60, 61}, 0},
        {"nested",
         cat({{loopBegin(2), loopBegin(2)}, note(60, 2), {zem::kLoopEnd}, note(62, 2), {zem::kLoopEnd}}),
         0,
         {60, 60, 62, 60, 60, 62},
         0},
        {"break on the last pass",
         cat({{loopBegin(3)}, note(60, 2), {zem::kLoopBreak}, note(62, 2), {zem::kLoopEnd}, note(64, 2)}),
         0,
         {60, 62, 60, 62, 60, 64},
         0},
        {"endless loop without time is left after one pass",
         cat({{loopBegin(0)}, {zem::makeCtrl(7, 100)}, {zem::kLoopEnd}, note(64, 2)}),
         0,
         {64},
         0},
        {"endless loop asks the host each pass",
         cat({{loopBegin(0)}, note(60, 2), {zem::kLoopEnd}, note(64, 2)}),
         3,
         {60, 60, 60, 64},
         3},
        {"loop with count 1 runs once",
         cat({{loopBegin(1)}, note(60, 2), {zem::kLoopEnd}, note(64, 2)}),
         0,
         {60, 64},
         0},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.leaveLoopAtPass = c.leaveAtPass;
        Session s(host, ImagePlan{{cat({tempo(256), c.track, wait(10), {zem::kEnd}})}});
        s.units(300);
        EXPECT_EQ(keysPlayed(host), c.keys) << c.name;
        EXPECT_EQ(host.only({"loop"}).size(), c.loopCalls) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST(EngineLoops, LoopCallbackSeesTrackAndPassCount)
{
    RecordingHost host;
    host.leaveLoopAtPass = 2;
    Session s(host, ImagePlan{{cat({wait(50), {zem::kEnd}}),
                               cat({{loopBegin(0)}, wait(4), {zem::kLoopEnd}, wait(50), {zem::kEnd}})}});
    s.units(200);
    EXPECT_EQ(host.onlyUnstamped({"loop"}), (std::vector<std::string>{"loop 1 1", "loop 1 2"}));
}

TEST(EngineLoops, MinimumPassCountSkipsEndedTracks)
{
    RecordingHost host;
    host.hasLoopCallback = false; // null: always jump back
    ImagePlan plan{{cat({tempo(256), {loopBegin(0)}, wait(10), {zem::kLoopEnd}}),
                    cat({{loopBegin(0)}, wait(25), {zem::kLoopEnd}}), cat({wait(5), {zem::kEnd}})}};
    Session s(host, plan);
    s.units(101);
    // Track 0 has passed 10 times, track 1 four times; track 2 has ended.
    EXPECT_EQ(s.player()->min_loop_count(s.player()), 4u);
    EXPECT_EQ(s.player()->finished(s.player()), 0);
}

TEST(EngineLoops, StoppedTracksDoNotHoldTheSong)
{
    struct StopCase {
        const char* name;
        ImagePlan plan;
        uint32_t minLoops;
        int finished;
        size_t notes;
    };
    const StopCase cases[] = {
        {"a track stopped for good leaves the loop count to the others",
         {{cat({tempo(256), {loopBegin(0)}, wait(10), {zem::kLoopEnd}}),
           cat({note(60, 2), {zem::kStop}, note(62, 2)})}},
         10,
         0,
         1},
        {"a track stopped while resumed runs on",
         {{cat({tempo(256), wait(5), {zem::makeByteClass(zem::kTrigger, 1), zem::kStop}}),
           cat({{zem::kStop}, note(60, 2), wait(3), {zem::kEnd}})}},
         0,
         1,
         1},
        {"every track stopped: finished",
         {{cat({tempo(256), wait(5), {zem::kStop}}), cat({{loopBegin(0)}, wait(4), {zem::kStop}, {zem::kLoopEnd}})}},
         0,
         1,
         0},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.hasLoopCallback = false;
        Session s(host, c.plan);
        s.units(101);
        EXPECT_EQ(s.player()->min_loop_count(s.player()), c.minLoops) << c.name;
        EXPECT_EQ(s.player()->finished(s.player()), c.finished) << c.name;
        EXPECT_EQ(host.only({"on"}).size(), c.notes) << c.name;
    }
}

// Loops that end keep every command in its tick, however many run without
// time; only repetition that makes no progress is spread over ticks.
TEST(EngineLoops, FiniteCommandRunsKeepTheirTick)
{
    Words sixteenControllers;
    for (uint16_t v = 1; v <= 16; ++v) sixteenControllers.push_back(zem::makeCtrl(1, v));
    Words fiveThousandControllers(5000, zem::makeCtrl(1, 1));
    struct TickCase {
        const char* name;
        Words commands;
        size_t controllers;
    };
    const TickCase cases[] = {
        {"255 passes of 16 controllers", cat({{loopBegin(255)}, sixteenControllers, {zem::kLoopEnd}}), 255 * 16},
        {"255 x 255 passes",
         {loopBegin(255), loopBegin(255), zem::makeCtrl(1, 1), zem::kLoopEnd, zem::kLoopEnd},
         255 * 255},
        {"5000 commands in a row", fiveThousandControllers, 5000},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.commands, note(60, 2), wait(10), {zem::kEnd}})}});
        s.units(5);
        const auto on = host.only({"on"});
        ASSERT_EQ(on.size(), 1u) << c.name;
        EXPECT_EQ(on[0].substr(on[0].find('/')), "/0 on 0 0 0 60 127") << c.name;
        EXPECT_EQ(host.only({"ctrl"}).size(), c.controllers) << c.name;
    }
}

// A track repeating without end is held back, not the tracks beside it.
TEST(EngineLoops, RunawayTrackLeavesOthersTheirTick)
{
    Words sixteenControllers;
    for (uint16_t v = 1; v <= 16; ++v) sixteenControllers.push_back(zem::makeCtrl(1, v));
    RecordingHost host;
    host.hasLoopCallback = false;
    ImagePlan plan{
        {cat({tempo(256), {loopBegin(0), zem::makeWait(0), zem::kLoopEnd}}),
         cat({wait(20), {loopBegin(255)}, sixteenControllers, {zem::kLoopEnd}, note(60, 2), wait(10), {zem::kEnd}})}};
    Session s(host, plan);
    s.units(30);
    const auto on = host.only({"on"});
    ASSERT_EQ(on.size(), 1u);
    EXPECT_EQ(on[0].substr(on[0].find('/')), "/20 on 0 1 0 60 127");
    EXPECT_EQ(host.only({"ctrl"}).size(), 255u * 16);
}

TEST(EngineLoops, LoopsWithoutWaitsCannotHangAnAdvance)
{
    struct HangCase {
        const char* name;
        Words track;
    };
    const HangCase cases[] = {
        {"endless loop around a zero wait", {loopBegin(0), zem::makeWait(0), zem::kLoopEnd}},
        {"deeply nested counted loops",
         {loopBegin(255), loopBegin(255), loopBegin(255), loopBegin(255), zem::makeCtrl(1, 1), zem::kLoopEnd,
          zem::kLoopEnd, zem::kLoopEnd, zem::kLoopEnd, zem::kEnd}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.hasLoopCallback = false;
        Session s(host, ImagePlan{{c.track}});
        s.units(30);
        EXPECT_EQ(host.unit, 30u) << c.name;
    }
}

} // namespace
