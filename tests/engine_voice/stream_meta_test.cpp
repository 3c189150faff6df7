// Stream slots through the whole engine: the META events of the track's
// current slot, fades stepped after every advance, position texts and the
// sync wait.
#include "image_builder.h"
#include "voice_recorder.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zemtest;
using Lines = std::vector<std::string>;

namespace {

TEST(EngineStream, OpeningAnOpenedSlotClosesItFirst)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({tempo(256),
                                param(130, 3),
                                param(131, 7),
                                param(132, 1),
                                param(133, 2),
                                meta(0x84, bytesOf("a.wav")),
                                meta(0x84, bytesOf("b.wav")),
                                meta(0x85, {}),
                                meta(0x85, {}),
                                meta(0x84, {}),
                                {zem::kEnd}})}});
    s.units(2);
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"open 3 a.wav 7 131073", "close 3", "open 3 b.wav 0 0", "close 3"}));
}

TEST(EngineStream, FadeInAndFadeOutReachTheirEnds)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({tempo(256),
                                meta(0x84, bytesOf("s")),
                                meta(0x86, {100}),
                                wait(200),
                                meta(0x87, {0, 200}),
                                wait(400),
                                {zem::kEnd}})}});
    const struct {
        uint32_t units;
        Lines log;
    } steps[] = {
        {1, {"open 0 s 0 0", "svolume 0 0", "play 0", "svolume 0 163"}},
        {100, {"svolume 0 16384"}},
        {100, {"svolume 0 8192"}}, // the fade-out began in tick 201
        {100, {"svolume 0 0", "sstop 0"}},
        {100, {}},
    };
    for (const auto& st : steps) {
        s.units(st.units);
        EXPECT_EQ(host.takeVoiceLog(), st.log) << host.unit;
    }
}

TEST(EngineStream, PlayAndStopAtOnce)
{
    VoiceRecorder host;
    VoiceSession s(host, {{cat({tempo(256),
                                param(130, 1),
                                meta(0x84, bytesOf("s")),
                                meta(0x86, {}),
                                meta(0x86, {}),
                                meta(0x87, {}),
                                meta(0x87, {}),
                                {zem::kEnd}})}});
    s.units(2);
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"open 1 s 0 0", "svolume 1 16384", "play 1", "svolume 1 0", "sstop 1"}));
}

TEST(EngineStream, VolumePanAndPitch)
{
    struct Case {
        const char* name;
        Words change;
        Lines log;
    };
    const Case cases[] = {
        {"volume at once", meta(0x8A, {0x20, 0x00}), {"svolume 0 8192"}},
        {"volume from one byte", meta(0x8A, {0x40}), {"svolume 0 8192"}},
        {"volume without payload is full",
         cat({meta(0x8A, {0}), wait(1), meta(0x8A, {})}),
         {"svolume 0 0", "svolume 0 16384"}},
        {"volume faded over 4 units",
         meta(0x8A, {0x00, 0x00, 0x04}),
         {"svolume 0 12288", "svolume 0 8192", "svolume 0 4096", "svolume 0 0"}},
        {"pan", meta(0x8B, {0xC0}), {"span 0 -16384"}},
        {"pan clamped", meta(0x8B, {0x7F, 0xFF}), {"span 0 16384"}},
        {"pitch", meta(0x8C, {0x80, 0x00}), {"spitch 0 -32768"}},
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        VoiceSession s(
            host,
            {{cat({tempo(256), meta(0x84, bytesOf("s")), meta(0x86, {}), wait(1), c.change, wait(10), {zem::kEnd}})}});
        s.units(1);
        host.takeVoiceLog();
        for (int i = 0; i < 6; ++i) s.units(1);
        EXPECT_EQ(host.takeVoiceLog(), c.log) << c.name;
    }
}

TEST(EngineStream, PositionTexts)
{
    struct Case {
        unsigned type;
        const char* text;
        Lines log;
    };
    const Case cases[] = {
        {0x8D, "5000000000", {"spos 2 705032704 1"}},
        {0x8D, "1:02.5", {"sposs 2 62.500"}},
        {0x8E, "88200", {"send 2 88200 0"}},
        {0x8E, "0:01.0", {"sends 2 1.000"}},
        {0x8F, "100,200", {"sloop 2 100 0 200 0"}},
        {0x8F, "300", {"sloop 2 0 0 300 0"}},
        {0x8F, "0:01.0,0:02.5", {"sloops 2 1.000 2.500"}},
        {0x8D, "abc", {}},
        {0x8E, "-1", {}},
        {0x8F, "100,0:02.0", {}},
    };
    for (const auto& c : cases) {
        VoiceRecorder host;
        VoiceSession s(host, {{cat({tempo(256), param(130, 2), meta(c.type, bytesOf(c.text)), {zem::kEnd}})}});
        s.units(2);
        EXPECT_EQ(host.voiceLog(), c.log) << c.text;
    }
}

TEST(EngineStream, TrackWaitsForTheSyncAnswer)
{
    VoiceRecorder host;
    host.hasSyncCallback = true;
    host.answers["sync"] = {{1, 1}, {2, 1}};
    VoiceSession s(host, {{cat({tempo(256), param(130, 2), meta(0x89, {7}), meta(0x86, {}), wait(10), {zem::kEnd}})}});
    s.units(6);
    EXPECT_EQ(host.onlyUnstamped({"sync", "play"}), (Lines{"sync 2 7", "sync 2 7", "sync 2 7", "play 2"}));
    // Asked in ticks 1, 2 and 3; resumed at the start of tick 4.
    EXPECT_EQ(host.only({"play"}), (Lines{"3/3 play 2"}));
}

TEST(EngineStream, EveryOpenedSlotIsClosedByReset)
{
    VoiceRecorder host;
    Words track = {tempo(256)[0], tempo(256)[1]};
    for (unsigned slot : {0u, 7u, 15u}) track = cat({track, param(130, slot), meta(0x84, bytesOf("s"))});
    track = cat({track, meta(0x86, {}), wait(10), {zem::kEnd}});
    VoiceSession s(host, {{track}});
    s.units(2);
    host.log.clear();
    s.player()->reset(s.player());
    EXPECT_EQ(host.takeVoiceLog(), (Lines{"close 0", "close 7", "svolume 15 0", "sstop 15", "close 15"}));
}

} // namespace
