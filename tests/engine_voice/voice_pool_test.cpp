// The voice pool on its own: lists, stealing, duplicates, copies, values
// and the handles given back.
#include "release_record.h"
#include "voice_pool.h"
#include "voice_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zemplay;
using zemtest::VoiceRecorder;
using Lines = std::vector<std::string>;

namespace {

ChannelControls fullChannel(void*, unsigned, unsigned) { return {127, 127, 64, 0, 2}; }

struct Fixture {
    VoiceRecorder rec;
    dp_options options = rec.allOptions();
    VoiceHost host{&options, rec.user()};
    VoiceSettings settings{};
    VoicePool* pool = nullptr;

    explicit Fixture(unsigned voices)
    {
        initVoiceSettings(settings);
        pool = createVoicePool(host, voices);
    }
    ~Fixture() { destroyVoicePool(host, pool); }

    void note(uint16_t instrument, unsigned key, unsigned velocity = 127)
    {
        startVoice(host, *pool, settings, {instrument, velocity, false, false, 0, 0, 0, static_cast<uint8_t>(key)},
                   fullChannel, nullptr);
    }
    void direct(uint16_t instrument, bool loop, uint32_t duration = 0)
    {
        startVoice(host, *pool, settings, {instrument, 127, true, loop, duration, 0, 0, kNoKey}, fullChannel, nullptr);
    }
    void load(uint16_t instrument, const char* file = "s") { loadVoice(host, *pool, settings, instrument, file); }
    // ms of voice time on a channel at full level.
    void step(uint32_t ms) { stepVoices(host, *pool, ms, fullChannel, nullptr); }
    Lines take() { return rec.takeVoiceLog(); }
};

TEST(VoicePool, AddingAndRemovingVoices)
{
    struct Case {
        const char* name;
        std::vector<int> changes;
        Lines log;
    };
    const Case cases[] = {
        {"add two", {2}, {"dup 1 -> 2", "dup 1 -> 3"}},
        {"add more than are free", {9}, {"dup 1 -> 2", "dup 1 -> 3"}},
        {"remove from the end", {2, -1}, {"dup 1 -> 2", "dup 1 -> 3", "free 3"}},
        {"remove all and more", {1, -5}, {"dup 1 -> 2", "free 2", "free 1"}},
        {"nothing to duplicate after removal", {-1, 1}, {"free 1"}},
    };
    for (const auto& c : cases) {
        Fixture f(3);
        f.load(0);
        f.take();
        for (int n : c.changes) changeVoiceCount(f.host, *f.pool, 0, n);
        EXPECT_EQ(f.take(), c.log) << c.name;
    }
}

TEST(VoicePool, NoteValuesFollowTheChannel)
{
    struct Case {
        const char* name;
        ChannelControls c;
        int32_t volume, pitch, pan;
        int32_t voicePitch = 0;
    };
    const Case cases[] = {
        {"neutral", {127, 127, 64, 0, 2}, 0x4000, 0, 0},
        {"volume and expression", {100, 64, 64, 0, 2}, 0x4000 * 100 * 64 / 16129, 0, 0},
        {"bend up two semitones", {127, 127, 64, 8191, 2}, 0x4000, 512, 0},
        {"bend down twelve", {127, 127, 64, -8192, 12}, 0x4000, -3072, 0},
        {"widest bend range", {127, 127, 64, 8191, 127}, 0x4000, 32512, 0},
        {"bend beyond the pitch range", {127, 127, 64, 8191, 127}, 0x4000, 0x7FFF, 0, 0x1000},
        {"bend below the pitch range", {127, 127, 64, -8192, 127}, 0x4000, -0x8000, 0, -0x1000},
        {"pan right", {127, 127, 127, 0, 2}, 0x4000, 0, 0x4000},
        {"pan left", {127, 127, 0, 0, 2}, 0x4000, 0, -0x4000},
        {"pan a little left", {127, 127, 48, 0, 2}, 0x4000, 0, -0x1000},
    };
    for (const auto& c : cases) {
        Voice v{};
        v.volume = 0x4000;
        v.pitch = c.voicePitch;
        v.envelopes[kEnvVolume].value = 100;
        ChannelControls controls = c.c;
        VoiceValues got = voiceValues(
            v, [](void* ctx, unsigned, unsigned) { return *static_cast<ChannelControls*>(ctx); }, &controls);
        EXPECT_EQ(got.volume, c.volume) << c.name;
        EXPECT_EQ(got.pitch, c.pitch) << c.name;
        EXPECT_EQ(got.pan, c.pan) << c.name;
    }
}

TEST(VoicePool, VelocityGivesTheLevel)
{
    const struct {
        unsigned velocity;
        int32_t volume;
    } cases[] = {{127, 16384}, {64, 4160}, {1, 1}, {200, 16384}};
    for (const auto& c : cases) {
        Fixture f(1);
        f.load(0);
        f.take();
        f.note(0, 60, c.velocity);
        EXPECT_EQ(f.take()[1], "volume 1 " + std::to_string(c.volume)) << c.velocity;
    }
}

TEST(VoicePool, CopiesShareTheSourceVoicesWithTheirOwnPitch)
{
    Fixture f(2);
    f.load(0x100 | 10); // bank 2, entry 10
    instrumentAt(*f.pool, 0x100 | 10).pitch = 100;
    copyInstrument(f.host, *f.pool, 0x100 | 10, 119, 0x0B0C); // entries 11..12, pitch stepped
    copyInstrument(f.host, *f.pool, 0x100 | 10, 120, 0x0305); // bank 3, entry 5
    EXPECT_EQ(voiceListOwner(*f.pool, 0x100 | 12), 0x100 | 10);
    EXPECT_EQ(voiceListOwner(*f.pool, 0x180 | 5), 0x100 | 10);
    EXPECT_EQ(instrumentAt(*f.pool, 0x100 | 11).pitch, 356);
    EXPECT_EQ(instrumentAt(*f.pool, 0x100 | 12).pitch, 612);
    EXPECT_EQ(instrumentAt(*f.pool, 0x180 | 5).pitch, 100);
    f.take();
    f.note(0x100 | 12, 60);
    EXPECT_EQ(f.take()[2], "pitch 1 612");
}

TEST(VoicePool, CopyingOntoAnInstrumentWithVoicesGivesThemBack)
{
    Fixture f(3);
    f.load(1, "a");
    f.load(2, "b");
    f.take();
    copyInstrument(f.host, *f.pool, 1, 118, 0x0002); // entries 0..2 of bank 0, 1 itself skipped
    EXPECT_EQ(f.take(), (Lines{"free 2"}));
    f.load(0, "c"); // lands in the shared list
    EXPECT_EQ(voiceListOwner(*f.pool, 0), 1);
    changeVoiceCount(f.host, *f.pool, 2, -5);
    EXPECT_EQ(f.take(), (Lines{"load 0 c 0 0 -> 3", "free 3", "free 1"}));
}

TEST(VoicePool, NoteOffReleasesOrStops)
{
    const std::vector<uint8_t> release = zemtest::releaseRecord();
    ASSERT_EQ(release.size(), kEnvelopeRecordSize);
    struct Case {
        const char* name;
        bool withRelease;
        Lines afterOff, after50, after100;
    };
    const Case cases[] = {
        {"no release part", false, {"stop 1"}, {}, {}},
        {"release part", true, {}, {"volume 1 8192"}, {"stop 1"}},
    };
    for (const auto& c : cases) {
        Fixture f(1);
        f.load(0);
        if (c.withRelease) {
            setEnvelopeRecord(*f.pool, 0, kEnvVolume, release.data());
            instrumentAt(*f.pool, 0).flags = kInstrumentEnvelopes;
        }
        f.note(0, 60);
        f.take();
        releaseKeyVoices(f.host, *f.pool, 0, 0, 61); // another key: nothing
        releaseKeyVoices(f.host, *f.pool, 0, 0, 60);
        EXPECT_EQ(f.take(), c.afterOff) << c.name;
        f.step(50);
        EXPECT_EQ(f.take(), c.after50) << c.name;
        f.step(50);
        EXPECT_EQ(f.take(), c.after100) << c.name;
    }
}

TEST(VoicePool, DurationsEndDirectVoices)
{
    struct Case {
        const char* name;
        bool loop;
        int playing;
        uint32_t duration;
        Lines log;
    };
    const Case cases[] = {
        {"duration reached", false, 1, 10, {"playing 1", "stop 1"}},
        {"sample over before the duration", false, 0, 100, {"playing 1", "stop 1"}},
        {"looping voices are not asked", true, 0, 100, {}},
        {"no duration: never asked", false, 0, 0, {}},
    };
    for (const auto& c : cases) {
        Fixture f(1);
        f.rec.playingAnswer = c.playing;
        f.load(0);
        f.direct(0, c.loop, c.duration);
        f.take();
        f.step(5);
        f.step(5);
        EXPECT_EQ(f.take(), c.log) << c.name;
    }
}

TEST(VoicePool, ValuesTheHostRefusedAreOfferedAgain)
{
    Fixture f(1);
    f.load(0);
    f.rec.answers["volume"] = {{1, 1}};
    f.note(0, 60);
    f.take();
    f.step(1);
    f.step(1);
    EXPECT_EQ(f.take(), (Lines{"volume 1 16384"}));
}

TEST(VoicePool, NothingStartsWithoutALoadedSample)
{
    Fixture f(2);
    f.rec.loadFails = true;
    f.note(0, 60);
    f.load(0);
    f.note(0, 60);
    f.direct(0, false);
    EXPECT_EQ(f.take(), (Lines{"load 0 s 0 0 -> 0"}));
}

} // namespace
