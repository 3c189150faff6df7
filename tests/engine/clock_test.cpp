// Units, ticks and the tempo: the period, tempo commands, slides, meta
// tempo, skip mode's uncounted time, the bar counter and the start-up.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace zemtest;

namespace {

size_t indexOf(const std::vector<std::string>& log, const std::string& suffix)
{
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].size() >= suffix.size() && log[i].compare(log[i].size() - suffix.size(), suffix.size(), suffix) == 0)
            return i;
    return log.size();
}

TEST(EngineClock, DefaultTempoRuns95TicksIn1000Units)
{
    RecordingHost host;
    host.logUnits = host.logTicks = true;
    Session s(host, ImagePlan{{cat({wait(5000), {zem::kEnd}})}});
    s.units(1000);
    EXPECT_EQ(host.only({"tick"}).size(), 95u);
    EXPECT_EQ(host.tick, 95u);
    // The quarter note (48th tick) runs in unit 501: after unit 500 is reported.
    size_t tick48 = indexOf(host.log, " tick 48");
    ASSERT_LT(tick48, host.log.size());
    EXPECT_EQ(host.log[tick48 - 1], "500/47 unit 500");
    EXPECT_EQ(host.log[tick48 + 1], "501/48 unit 501");
}

TEST(EngineClock, TicksPerUnitFollowThePeriod)
{
    struct PeriodCase {
        uint32_t period;
        uint32_t units;
        uint32_t ticks;
    };
    const PeriodCase cases[] = {{1, 2, 512}, {256, 10, 10}, {512, 10, 5}, {100, 25, 64}, {0xFFFFFF, 100, 0}};
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(c.period), wait(60000), {zem::kEnd}})}});
        s.units(c.units);
        EXPECT_EQ(host.tick, c.ticks) << c.period;
        EXPECT_EQ(host.unit, c.units) << c.period;
    }
}

TEST(EngineClock, TempoCommandsReportTheirPeriod)
{
    struct TempoCase {
        const char* name;
        std::vector<Words> tracks;
        uint32_t ticks;
        std::vector<std::string> expected;
    };
    const TempoCase cases[] = {
        {"track 0 reports at once", {cat({tempo(1000), wait(10), {zem::kEnd}})}, 2, {"tempo 0 1000"}},
        {"track 1 reports at the next tick",
         {cat({wait(10), {zem::kEnd}}), cat({tempo(1000), wait(10), {zem::kEnd}})},
         2,
         {"tempo 0 1000"}},
        {"tempo 0 in track 1 becomes 1",
         {cat({wait(300), {zem::kEnd}}), cat({tempo(0), wait(300), {zem::kEnd}})},
         1,
         {"tempo 0 1"}},
        {"linear slide",
         {cat({{zem::makeTempoHigh(zem::kTempoSlide, 1667), 1667}, lengthWords(4), wait(10), {zem::kEnd}})},
         5,
         {"tempo 0 2417", "tempo 0 2167", "tempo 0 1917", "tempo 0 1667"}},
        {"curve through the middle",
         {cat({{zem::makeTempoHigh(zem::kTempoCurve, 1000), 1000, 0, 2000}, lengthWords(4), wait(10), {zem::kEnd}})},
         5,
         // start 2667, middle 2000 at t = 2, end 1000
         {"tempo 0 2375", "tempo 0 2000", "tempo 0 1541", "tempo 0 1000"}},
        {"slide updated every 2 ticks",
         {cat(
             {param(2, 1), {zem::makeTempoHigh(zem::kTempoSlide, 1667), 1667}, lengthWords(4), wait(10), {zem::kEnd}})},
         6,
         {"tempo 0 2167", "tempo 0 1667"}},
        {"meta tempo 500000 us at timebase 192",
         {cat({meta(0x51, {0x07, 0xA1, 0x20}), wait(10), {zem::kEnd}})},
         2,
         {"tempo 0 2666"}},
        {"meta tempo with timebase register 0 is ignored",
         {cat({{zem::kTimebase, 0}, meta(0x51, {0x07, 0xA1, 0x20}), wait(10), {zem::kEnd}})},
         2,
         {}},
        {"meta tempo with TIMEBASE 96",
         {cat({{zem::kTimebase, 96}, meta(0x51, {0x07, 0xA1, 0x20}), wait(10), {zem::kEnd}})},
         2,
         {"tempo 0 5333"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        ImagePlan plan;
        plan.tracks = c.tracks;
        Session s(host, plan);
        s.ticks(c.ticks);
        EXPECT_EQ(host.onlyUnstamped({"tempo"}), c.expected) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST(EngineClock, AdvanceByTicksStopsAtTheCount)
{
    RecordingHost host;
    Session s(host, ImagePlan{{cat({wait(100), {zem::kEnd}})}});
    s.ticks(7);
    EXPECT_EQ(host.tick, 7u);
    EXPECT_EQ(host.unit, 73u); // tick 7 runs in unit ceil(7 * 2667 / 256)
    s.ticks(3);
    EXPECT_EQ(host.tick, 10u);
}

TEST(EngineClock, SkippedTicksCountNeitherUnitsNorTicks)
{
    RecordingHost host;
    host.logTicks = true;
    // PARAM 252 = 3 extra tick callbacks when skipping ends.
    Session s(host, ImagePlan{{cat({param(252, 3), param(255, 2), wait(5), param(255, 0), wait(50), {zem::kEnd}})}});
    s.units(21);
    // Tick 1 runs normally; ticks 2..6 are skipped (the last ends the skip and
    // brings the three extra callbacks); tick 7 is counted as tick 2.  The
    // units of the skipped stretch are not counted either.
    EXPECT_EQ(host.only({"tick"}),
              (std::vector<std::string>{"10/1 tick 1", "20/1 tick 1", "20/1 tick 1", "20/1 tick 1", "20/2 tick 2"}));
    EXPECT_EQ(host.unit, 21u);
}

TEST(EngineClock, SkippingUnderTheLongestPeriodStillReturns)
{
    RecordingHost host;
    // A tick every 65 s of skipped, uncounted units: the advance returns
    // after a bounded stretch and the next one goes on skipping.
    // Skipping starts with the first tick (unit 11), which sets the period.
    Session s(host,
              ImagePlan{{cat({param(255, 2), tempo(0xFFFFFF), wait(1000), param(255, 0), wait(10), {zem::kEnd}})}});
    for (int call = 0; call < 3; ++call) EXPECT_EQ(s.player()->advance_units(s.player(), 20, DP_NORMAL_SPEED), 0);
    EXPECT_EQ(host.unit, 10u);
    EXPECT_EQ(s.player()->finished(s.player()), 0);
}

TEST(EngineClock, StartDeliversRecordedTextsThenTheNotice)
{
    RecordingHost host;
    ImagePlan plan{{cat({meta(3, bytesOf("T")),
                         meta(2, bytesOf("N")),
                         meta(0xBF, bytesOf("b")),
                         meta(0xBE, bytesOf("a")),
                         meta(5, bytesOf("lyric")),
                         {zem::kEnd}})}};
    plan.title = payloadOffset(plan, 0, 0);
    plan.notice = payloadOffset(plan, 0, 3);
    plan.meta191 = payloadOffset(plan, 0, 6);
    plan.meta190 = payloadOffset(plan, 0, 9);
    Session s(host, plan);
    s.units(20);
    std::vector<std::string> metas = host.onlyUnstamped({"meta"});
    ASSERT_EQ(metas.size(), 6u);
    EXPECT_EQ(metas[0], "meta 0 190 [a]");
    EXPECT_EQ(metas[1], "meta 0 191 [b]");
    EXPECT_EQ(metas[2], "meta 0 2 [N]");
    EXPECT_EQ(metas[3], "meta 0 3 [T]");
    EXPECT_EQ(metas[4].rfind("meta 0 1 [", 0), 0u) << "the generator notice";
    EXPECT_EQ(metas[5], "meta 0 5 [lyric]") << "recorded metas are not delivered twice";
}

TEST(EngineClock, MetaEventsAndTextsByTrack)
{
    RecordingHost host;
    Words events = cat({meta(0x58, {4, 2, 24, 8}), meta(0x59, {0, 0}), meta(0x2F, {}), meta(0x05, bytesOf("la")),
                        meta(0x51, {1, 2}), text("words")});
    Session s(host,
              ImagePlan{{cat({wait(1), events, wait(5), {zem::kEnd}}), cat({wait(1), events, wait(5), {zem::kEnd}})}});
    s.units(30);
    std::vector<std::string> got;
    for (const auto& line : host.onlyUnstamped({"meta", "text"})) got.push_back(line.substr(0, line.find(" [")));
    // Signatures always go out as track 0's; the end of track is never
    // delivered; a tempo meta of the wrong size is passed on; texts are
    // delivered from track 0 only.
    const std::vector<std::string> expected = {"meta 0 1",     "meta 0 88", "meta 0 89", "meta 0 5", "meta 0 81",
                                               "text 0 words", "meta 0 88", "meta 0 89", "meta 1 5", "meta 1 81"};
    EXPECT_EQ(got, expected);
}

TEST(EngineClock, StartUpAnswerIsReturnedByTheFirstAdvance)
{
    RecordingHost host;
    host.answers["meta"][1] = 42;
    Session s(host, ImagePlan{{cat({note(60, 4), {zem::kEnd}})}});
    EXPECT_EQ(s.player()->advance_units(s.player(), 10, DP_NORMAL_SPEED), 42);
    EXPECT_TRUE(host.only({"on"}).empty());
    EXPECT_EQ(s.player()->advance_units(s.player(), 10, DP_NORMAL_SPEED), 0);
    EXPECT_EQ(host.unit, 0u);
}

TEST(EngineClock, BarCounterFollowsTicksAndSignatures)
{
    struct BarCase {
        const char* name;
        Words track;
        uint32_t ticks;
        uint8_t beatsPerBar, beat;
        uint32_t barLength, tickInBar;
        uint16_t bar;
        uint32_t tickInBeat;
    };
    const BarCase cases[] = {
        {"default 4/4", cat({wait(1000), {zem::kEnd}}), 200, 4, 0, 192, 8, 1, 8},
        {"mid bar", cat({wait(1000), {zem::kEnd}}), 100, 4, 2, 192, 100, 0, 4},
        {"last tick of a bar", cat({wait(1000), {zem::kEnd}}), 191, 4, 3, 192, 191, 0, 47},
        {"exactly on the bar line", cat({wait(1000), {zem::kEnd}}), 192, 4, 0, 192, 0, 1, 0},
        {"3/4", cat({meta(0x58, {3, 2, 24, 8}), wait(1000), {zem::kEnd}}), 150, 3, 0, 144, 6, 1, 6},
        {"stopped", cat({param(25, 1), wait(1000), {zem::kEnd}}), 100, 4, 0, 192, 0, 0, 0},
        {"no wrap", cat({param(25, 2), wait(1000), {zem::kEnd}}), 200, 4, 4, 192, 200, 0, 8},
        {"new bar", cat({wait(10), param(25, 4), wait(1000), {zem::kEnd}}), 15, 4, 0, 192, 5, 1, 5},
        {"zero beats ignored", cat({meta(0x58, {0, 2, 24, 8}), wait(1000), {zem::kEnd}}), 10, 4, 0, 192, 10, 0, 10},
        {"saved and restored", cat({wait(10), param(25, 6), wait(10), param(25, 7), wait(1000), {zem::kEnd}}), 25, 4, 0,
         192, 15, 0, 15},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({tempo(256), c.track})}});
        s.ticks(c.ticks);
        uint8_t r[20];
        ASSERT_EQ(s.player()->bar_counter(s.player(), r, sizeof r), 0);
        EXPECT_EQ(r[2], c.beatsPerBar) << c.name;
        EXPECT_EQ(r[3], c.beat) << c.name;
        EXPECT_EQ(zem::readU32(r + 4), c.barLength) << c.name;
        EXPECT_EQ(zem::readU32(r + 8), c.tickInBar) << c.name;
        EXPECT_EQ(zem::readU16(r + 12), c.bar) << c.name;
        EXPECT_EQ(zem::readU32(r + 16), c.tickInBeat) << c.name;
    }
}

TEST(EngineClock, ZeroIncrementAndFinishedSongReturnAtOnce)
{
    RecordingHost host;
    Session s(host, ImagePlan{{{zem::kEnd}}});
    EXPECT_EQ(s.player()->advance_units(s.player(), 5, 0), 0);
    EXPECT_EQ(host.unit, 0u);
    s.units(5);
    EXPECT_EQ(s.player()->finished(s.player()), 1);
    EXPECT_EQ(host.unit, 1u) << "the first unit finds every track ended";
}

TEST(EngineClock, IncrementScalesUnitsPerStep)
{
    RecordingHost host;
    Session s(host, ImagePlan{{cat({wait(1000), {zem::kEnd}})}});
    s.player()->advance_units(s.player(), 10, 0x8000);
    EXPECT_EQ(host.unit, 10u);
    s.player()->advance_units(s.player(), 1, 0x30000);
    EXPECT_EQ(host.unit, 13u) << "one step of three units";
}

} // namespace
