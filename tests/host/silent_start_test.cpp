// Starting an image at a song position: what the host hears after the
// switch is exactly what a player running from the top would send from
// there, and at the switch it gets each used channel's state, nothing else.
#include "recording_sink.h"

#include "host/silent_start.h"

#include "zemcmain.h"
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace {

struct Event {
    uint32_t ms;
    char kind; // n note on, f note off, c controller, p program, b bend, t text
    int port, channel, a, b;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << e.ms << ' ' << e.kind << ' ' << e.port << ':' << e.channel << ' ' << e.a << ',' << e.b;
}

// The host: every channel message and text with the millisecond it came in.
struct Recorder final : host::MidiSink {
    uint32_t ms = 0;
    std::vector<Event> events;

    void add(char kind, int port, int channel, int a, int b) { events.push_back({ms, kind, port, channel, a, b}); }

    int unitPassed(uint32_t) override { return ++ms, 0; }
    int noteOn(int p, int, int c, int k, int v) override { return add('n', p, c, k, v), 0; }
    int noteOff(int p, int, int c, int k, int v) override { return add('f', p, c, k, v), 0; }
    int controlChange(int p, int, int c, int n, int v) override { return add('c', p, c, n, v), 0; }
    int programChange(int p, int, int c, int n) override { return add('p', p, c, n, 0), 0; }
    int pitchBend(int p, int, int c, int v) override { return add('b', p, c, v, 0), 0; }
    int text(int, const char*, int n) override { return add('t', 0, 0, n, 0), 0; }
};

std::vector<uint8_t> compile(const zem_test::TempDir& dir, const std::string& source)
{
    const std::string out = dir.file("song.zem");
    const int32_t result = zemc(reinterpret_cast<const uint8_t*>(source.data()), uint32_t(source.size()), "song.kvt",
                                out.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(result, ZEMC_OK);
    const std::string bytes = zem_test::readFile(out);
    return {bytes.begin(), bytes.end()};
}

// The last value of every channel state a host heard: program, each
// controller, bend.
using State = std::map<std::tuple<int, int, char, int>, int>;

State stateOf(const std::vector<Event>& events, size_t end)
{
    State state;
    for (size_t i = 0; i < end; ++i) {
        const Event& e = events[i];
        if (e.kind == 'c') state[{e.port, e.channel, 'c', e.a}] = e.b;
        if (e.kind == 'p' || e.kind == 'b') state[{e.port, e.channel, e.kind, 0}] = e.a;
    }
    return state;
}

const uint8_t kKey[] = {0x59, 1};

const char* const kScores[] = {
    // Bank, program, volume and a bend that changes on two channels.
    ":0 Y0,1 Y32,2 @5 V90 o4 l8 c d e f K100 g a K-300 b < c\n"
    "#1 :1 @20 V70 o3 l4 c e g K2000 c\n",
    // Slides and a vibrato modulator run under the notes.
    ":0 @49 V110 o4 `+1 X127,1 `-1 'c e g'1 `+1 P0,1,127 `-1 'd g b'1 M-1,17,&100 M,18,0 M,19,500 M,20,500 "
    "M,21,180 M,22,180 J-1,+6 @41 e2 g2 < c1 > b2. a4 g1\n",
};

TEST(SilentStart, AfterTheSwitchTheHostHearsWhatAPlayFromTheTopWouldSend)
{
    zem_test::TempDir dir;
    const uint32_t positions[] = {0, 1, 250, 777, 1500, 3000};
    for (const char* score : kScores) {
        const std::vector<uint8_t> image = compile(dir, score);
        for (uint32_t at : positions) {
            SCOPED_TRACE(testing::Message() << "at " << at << " ms of " << score);
            constexpr uint32_t kAfter = 2500;
            Recorder reference;
            host::Sinks referenceSinks{&reference, nullptr};
            dp_player* whole = host::createEngine(1, image.data(), image.size(), referenceSinks, nullptr);
            ASSERT_NE(whole, nullptr);
            if (at) whole->advance_units(whole, at, DP_NORMAL_SPEED);
            const size_t referenceMark = reference.events.size();
            const uint32_t referenceMsAtMark = reference.ms;
            whole->advance_units(whole, kAfter, DP_NORMAL_SPEED);
            whole->close(whole);

            Recorder switched;
            switched.ms = at; // the host's own clock goes on from the old image
            host::SilentStart start({&switched, nullptr});
            dp_player* late = host::createEngine(1, image.data(), image.size(), start.sinks(), nullptr);
            ASSERT_NE(late, nullptr);
            EXPECT_EQ(start.catchUp(late, at), 0);
            const size_t switchedMark = switched.events.size();
            late->advance_units(late, kAfter, DP_NORMAL_SPEED);
            late->close(late);

            // At the switch only state, and exactly the state at that point.
            for (size_t i = 0; i < switchedMark; ++i) {
                EXPECT_NE(std::strchr("cpb", switched.events[i].kind), nullptr) << switched.events[i];
                EXPECT_EQ(switched.events[i].ms, at);
            }
            EXPECT_EQ(stateOf(switched.events, switchedMark), stateOf(reference.events, referenceMark));
            // Afterwards the same messages at the same milliseconds.
            const std::vector<Event> expected(reference.events.begin() + long(referenceMark), reference.events.end());
            const std::vector<Event> seen(switched.events.begin() + long(switchedMark), switched.events.end());
            EXPECT_EQ(seen, expected);
            // The clock went on by as much as the reference's did.
            EXPECT_EQ(switched.ms - at, reference.ms - referenceMsAtMark);
        }
    }
}

TEST(SilentStart, BankSelectComesBeforeTheProgramItChooses)
{
    zem_test::TempDir dir;
    const std::vector<uint8_t> image = compile(dir, kScores[0]);
    Recorder switched;
    host::SilentStart start({&switched, nullptr});
    dp_player* late = host::createEngine(1, image.data(), image.size(), start.sinks(), nullptr);
    ASSERT_NE(late, nullptr);
    ASSERT_EQ(start.catchUp(late, 600), 0);
    late->close(late);
    std::vector<std::pair<char, int>> channel0;
    for (const Event& e : switched.events)
        if (e.channel == 0) channel0.push_back({e.kind, e.kind == 'c' ? e.a : 0});
    ASSERT_GE(channel0.size(), 3u);
    EXPECT_EQ(channel0[0], std::make_pair('c', 0));
    EXPECT_EQ(channel0[1], std::make_pair('c', 32));
    EXPECT_EQ(channel0[2].first, 'p');
}

// While catching up, only what later notes need reaches the host's sound
// sink (samples loaded, copied and freed) and only what sets the displays
// its MIDI sink; once caught up, everything passes.  A sink the host lacks
// stays missing.
TEST(SilentStart, WhatIsHeldWhileCatchingUpAndPassedAfter)
{
    const struct {
        const char* recorded;
        int (*call)(host::Sinks&);
        bool whileCatchingUp;
    } cases[] = {
        {"error 16 8", [](host::Sinks& s) { return s.midi->error(16, 8); }, true},
        {"tickPassed 3", [](host::Sinks& s) { return s.midi->tickPassed(3); }, true},
        {"tempo 2667", [](host::Sinks& s) { return s.midi->tempo(2667); }, true},
        {"meta 1 89 89 2", [](host::Sinks& s) { return s.midi->meta(1, 0x59, kKey, 2); }, true},
        {"endlessLoopPass 1 2", [](host::Sinks& s) { return s.midi->endlessLoopPass(1, 2); }, true},
        {"unitPassed 5", [](host::Sinks& s) { return s.midi->unitPassed(5); }, false},
        {"keyPressure 0 1 2 60 9", [](host::Sinks& s) { return s.midi->keyPressure(0, 1, 2, 60, 9); }, false},
        {"channelPressure 0 1 2 9", [](host::Sinks& s) { return s.midi->channelPressure(0, 1, 2, 9); }, false},
        {"exclusiveBuffer 0 1 4", [](host::Sinks& s) { return int(s.midi->exclusiveBuffer(0, 1, 4) != nullptr); },
         false},
        {"exclusiveSend 0 1 4", [](host::Sinks& s) { return s.midi->exclusiveSend(0, 1, 4); }, false},
        {"text 1 Verse 5", [](host::Sinks& s) { return s.midi->text(1, "Verse", 5); }, false},
        {"loadSample 2 a.wav 3 4", [](host::Sinks& s) { return int(s.sound->loadSample(2, "a.wav", 3, 4)); }, true},
        {"duplicateSample 7", [](host::Sinks& s) { return int(s.sound->duplicateSample(7)); }, true},
        {"freeSample 7", [](host::Sinks& s) { return s.sound->freeSample(7), 0; }, true},
        {"startVoice 7 1", [](host::Sinks& s) { return s.sound->startVoice(7, 1), 0; }, false},
        {"voiceVolume 7 100", [](host::Sinks& s) { return s.sound->voiceVolume(7, 100); }, false},
        {"voicePlaying 7", [](host::Sinks& s) { return s.sound->voicePlaying(7); }, false},
        {"streamOpen 2 b.ogg 0 0", [](host::Sinks& s) { return s.sound->streamOpen(2, "b.ogg", 0, 0), 0; }, false},
        {"streamPlay 2", [](host::Sinks& s) { return s.sound->streamPlay(2); }, false},
        {"streamSync 2 0", [](host::Sinks& s) { return s.sound->streamSync(2, 0); }, false},
        {"streamLoopSeconds 2 0.5 1.5", [](host::Sinks& s) { return s.sound->streamLoopSeconds(2, 0.5f, 1.5f), 0; },
         false},
    };
    zem_test::TempDir dir;
    const std::vector<uint8_t> image = compile(dir, "o4 c\n");
    host_test::Recorder recorder;
    host::SilentStart start({&recorder, &recorder});
    dp_player* late = host::createEngine(1, image.data(), image.size(), start.sinks(), nullptr);
    ASSERT_NE(late, nullptr);
    for (const bool caughtUp : {false, true}) {
        if (caughtUp) {
            ASSERT_EQ(start.catchUp(late, 0), 0);
        }
        for (const auto& c : cases) {
            recorder.calls = 0;
            recorder.last.clear();
            const int answer = c.call(start.sinks());
            const bool passed = caughtUp || c.whileCatchingUp;
            EXPECT_EQ(recorder.last, passed ? c.recorded : "") << c.recorded << (caughtUp ? " caught up" : "");
            // A held request answers as an empty entry would.
            if (!passed) {
                EXPECT_EQ(answer, 0) << c.recorded;
            }
        }
    }
    late->close(late);

    host::SilentStart midiOnly({&recorder, nullptr});
    EXPECT_NE(midiOnly.sinks().midi, nullptr);
    EXPECT_EQ(midiOnly.sinks().sound, nullptr);
    host::SilentStart soundOnly({nullptr, &recorder});
    EXPECT_EQ(soundOnly.sinks().midi, nullptr);
    EXPECT_NE(soundOnly.sinks().sound, nullptr);
}

} // namespace
