// Playing from a place of the text or of the bar counter: the place is found
// at the millisecond where a play from the top reaches it, and from there on
// the host hears exactly what that play sends.
#include "start_point.h"

#include "frontend/compile_image.h"
#include "host/engine_options.h"
#include "host/silent_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

using frontend::StartPoint;
using Kind = StartPoint::Kind;

struct Compiled {
    std::vector<uint8_t> image;
    kvt::SourceMap map;
};

Compiled compile(const std::string& text)
{
    Compiled c;
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    auto image = frontend::compileImage(
        bytes, "song.kvt", 0, [](const frontend::CompileMessage&) {}, &c.map);
    EXPECT_TRUE(image.has_value()) << text;
    if (image) c.image = std::move(*image);
    return c;
}

// An event without its time and the song millisecond it came in.
using Heard = std::tuple<uint32_t, int, int, int, int, int, int>;

enum EventKind {
    kNoteOn = 'n',
    kNoteOff = 'f',
    kKeyPressure = 'k',
    kControl = 'c',
    kProgram = 'p',
    kPressure = 'a',
    kBend = 'b'
};

// Every channel message, stamped with the unit counter the engine last
// reported.
struct Recorder final : host::MidiSink {
    uint32_t unit = 0;
    std::vector<Heard> events;

    int add(char kind, int port, int track, int channel, int number, int value)
    {
        events.emplace_back(unit, int(kind), port, track, channel, number, value);
        return 0;
    }
    int unitPassed(uint32_t counter) override { return unit = counter, 0; }
    int noteOn(int p, int t, int c, int k, int v) override { return add(kNoteOn, p, t, c, k, v); }
    int noteOff(int p, int t, int c, int k, int v) override { return add(kNoteOff, p, t, c, k, v); }
    int keyPressure(int p, int t, int c, int k, int v) override { return add(kKeyPressure, p, t, c, k, v); }
    int controlChange(int p, int t, int c, int n, int v) override { return add(kControl, p, t, c, n, v); }
    int programChange(int p, int t, int c, int n) override { return add(kProgram, p, t, c, n, 0); }
    int channelPressure(int p, int t, int c, int v) override { return add(kPressure, p, t, c, 0, v); }
    int pitchBend(int p, int t, int c, int v) override { return add(kBend, p, t, c, 0, v); }
};

StartPoint source(uint32_t line, uint32_t column, int track = -1)
{
    return {.kind = Kind::Source, .line = line, .column = column, .track = track};
}
StartPoint bar(uint32_t bar, uint32_t beat) { return {.kind = Kind::Bar, .bar = bar, .beat = beat}; }

// Quarter notes at 120 beats per minute last 500 ms, eighths 250 ms; the
// first notes sound in unit 10.  Bars count from 1, the counter from 0.
constexpr const char* kTwoTracks = "#0 T120 @5 V90 o4 l4 c d e f g a b > c\n"
                                   "#1 @20 y10,30 o3 l2 c e K300 g c\n";
constexpr const char* kLoop = "#0 T120 l8 y7,100 [3 c d ] e4 f4\n"
                              "/ only a comment\n";
constexpr const char* kBars = "#0 T120 l4 c d e f g a b > c d e f g\n";

struct Case {
    const char* score;
    StartPoint start;
    uint32_t units; // where a play from the top reaches it
};

const Case kCases[] = {
    {kTwoTracks, source(1, 26), 1010},    // the «e» of track 0
    {kTwoTracks, source(1, 27), 1510},    // the blank after it: the next command
    {kTwoTracks, source(1, 19), 10},      // «l4» writes no word: the next command
    {kTwoTracks, source(2, 23, 1), 1010}, // the «e» of track 1, explicitly
    {kTwoTracks, source(2, 0), 0},        // the line's first command: the top
    {kTwoTracks, source(2, 25), 2010},    // a bend change just before its note
    {kLoop, source(1, 24), 260},          // in a loop: its first pass
    {kLoop, source(1, 28), 1510},         // after the loop
    {kBars, bar(1, 1), 0},
    // The counter moves with the ticks, which run from unit 0.
    {kBars, bar(2, 1), 2000},
    {kBars, bar(3, 2), 4500},
};

TEST(StartPoint, PlayFromAPlaceIsPlayFromTheTopFromThatMoment)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.score << " line " << c.start.line << ":" << c.start.column << " bar "
                                        << c.start.bar << ":" << c.start.beat);
        const Compiled compiled = compile(c.score);
        std::string error;
        const auto timeline = host::SongTimeline::record(compiled.image, {});
        const auto units = frontend::unitsBeforePlace(c.start, compiled.map, timeline, &error);
        ASSERT_TRUE(units) << error;
        EXPECT_EQ(*units, c.units);

        constexpr uint32_t kAfter = 6000;
        Recorder reference;
        host::Sinks sinks{&reference, nullptr};
        dp_player* whole = host::createEngine(1, compiled.image.data(), compiled.image.size(), sinks, nullptr);
        ASSERT_NE(whole, nullptr);
        if (*units) whole->advance_units(whole, *units, DP_NORMAL_SPEED);
        const size_t mark = reference.events.size();
        whole->advance_units(whole, kAfter, DP_NORMAL_SPEED);
        whole->close(whole);

        Recorder late;
        late.unit = *units; // the catch-up's units are not reported
        host::SilentStart start({&late});
        dp_player* from = host::createEngine(1, compiled.image.data(), compiled.image.size(), start.sinks(), nullptr);
        ASSERT_NE(from, nullptr);
        ASSERT_EQ(start.catchUp(from, *units), 0);
        // Only the channels' state is sent at the start, in the first unit.
        const size_t resent = late.events.size();
        from->advance_units(from, kAfter, DP_NORMAL_SPEED);
        from->close(from);

        std::vector<Heard> expected = reference.events;
        expected.erase(expected.begin(), expected.begin() + long(mark));
        std::vector<Heard> seen = late.events;
        seen.erase(seen.begin(), seen.begin() + long(resent));
        EXPECT_EQ(seen, expected);
        // A note of the place sounds in the very first unit played aloud.
        if (c.start.kind == Kind::Source && *units != 0) {
            const auto on =
                std::find_if(seen.begin(), seen.end(), [](const Heard& h) { return std::get<1>(h) == int(kNoteOn); });
            ASSERT_NE(on, seen.end());
            EXPECT_EQ(std::get<0>(*on), *units);
        }
    }
}

TEST(StartPoint, PlacesNotInTheScoreAreRefused)
{
    struct Refused {
        const char* score;
        StartPoint start;
        const char* error;
    };
    const Refused refused[] = {
        {kLoop, source(2, 1), "no command at line 2"},         // a comment line
        {kLoop, source(40, 1), "no command at line 40"},       // past the text
        {kTwoTracks, source(1, 5, 1), "no command at line 1"}, // track 1 has nothing on line 1
        {kBars, bar(0, 1), "bars and beats count from 1"},      {kBars, bar(2, 0), "bars and beats count from 1"},
        {kBars, bar(40, 1), "the song ends before that place"}, {kBars, {}, "no place to seek"}, // the top
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(testing::Message() << r.score << " line " << r.start.line << " bar " << r.start.bar);
        const Compiled compiled = compile(r.score);
        std::string error;
        const auto timeline = host::SongTimeline::record(compiled.image, {});
        EXPECT_FALSE(frontend::unitsBeforePlace(r.start, compiled.map, timeline, &error));
        EXPECT_EQ(error, r.error);
    }
}

} // namespace
