// The engine's callback table filled from the two sinks: every entry the
// engine calls lands on the sink method of the same name with the same
// arguments, and the method's answer goes back to the engine.
#include "recording_sink.h"

#include "host/engine_options.h"

#include "zemcmain.h"
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kNoAnswer = -1; // the entry returns nothing

struct Call {
    size_t slot; // index of the entry in the table
    std::function<long long(const dp_options&, void*)> call;
    const char* recorded;
    long long answer; // the recorder's answer for a first call, or kNoAnswer
};

constexpr size_t slotOf(size_t offset) { return offset / sizeof(void*); }
#define SLOT(member) slotOf(offsetof(dp_options, member))

const uint8_t kPayload[] = {0x59, 1};

// Every entry the engine may call, with arguments that differ from one
// another, so that a swapped or dropped argument shows.
const Call kCalls[] = {
    {SLOT(error), [](auto& o, void* u) { return o.error(u, 0x1234, 11); }, "error 4660 11", 40},
    {SLOT(unit_passed), [](auto& o, void* u) { return o.unit_passed(u, 77); }, "unitPassed 77", 40},
    {SLOT(tick_passed), [](auto& o, void* u) { return o.tick_passed(u, 78); }, "tickPassed 78", 40},
    {SLOT(note_off), [](auto& o, void* u) { return o.note_off(u, 1, 2, 3, 4, 5); }, "noteOff 1 2 3 4 5", 40},
    {SLOT(note_on), [](auto& o, void* u) { return o.note_on(u, 6, 7, 8, 9, 10); }, "noteOn 6 7 8 9 10", 40},
    {SLOT(key_pressure), [](auto& o, void* u) { return o.key_pressure(u, 2, 3, 4, 5, 6); }, "keyPressure 2 3 4 5 6",
     40},
    {SLOT(control_change), [](auto& o, void* u) { return o.control_change(u, 3, 4, 5, 7, 90); },
     "controlChange 3 4 5 7 90", 40},
    {SLOT(program_change), [](auto& o, void* u) { return o.program_change(u, 4, 5, 6, 19); }, "programChange 4 5 6 19",
     40},
    {SLOT(channel_pressure), [](auto& o, void* u) { return o.channel_pressure(u, 5, 6, 7, 33); },
     "channelPressure 5 6 7 33", 40},
    {SLOT(pitch_bend), [](auto& o, void* u) { return o.pitch_bend(u, 6, 7, 8, -8192); }, "pitchBend 6 7 8 -8192", 40},
    {SLOT(exclusive_buffer), [](auto& o, void* u) { return o.exclusive_buffer(u, 7, 8, 9) != nullptr ? 1 : 0; },
     "exclusiveBuffer 7 8 9", 1},
    {SLOT(exclusive_send), [](auto& o, void* u) { return o.exclusive_send(u, 8, 9, 10); }, "exclusiveSend 8 9 10", 40},
    {SLOT(text), [](auto& o, void* u) { return o.text(u, 3, "Verse", 5); }, "text 3 Verse 5", 40},
    {SLOT(tempo_changed), [](auto& o, void* u) { return o.tempo_changed(u, 0, 2667); }, "tempo 2667", 40},
    {SLOT(meta_event), [](auto& o, void* u) { return o.meta_event(u, 4, 0x59, kPayload, 2); }, "meta 4 89 89 2", 40},
    {SLOT(endless_loop_pass), [](auto& o, void* u) { return o.endless_loop_pass(u, 5, 1000); },
     "endlessLoopPass 5 1000", 40},
    {SLOT(load_sample), [](auto& o, void* u) { return (long long)o.load_sample(u, 3, "hit.wav", 7, 8); },
     "loadSample 3 hit.wav 7 8", 40},
    {SLOT(free_sample), [](auto& o, void* u) { return o.free_sample(u, 0x1001), kNoAnswer; }, "freeSample 4097",
     kNoAnswer},
    {SLOT(start_voice), [](auto& o, void* u) { return o.start_voice(u, 0x1002, 1), kNoAnswer; }, "startVoice 4098 1",
     kNoAnswer},
    {SLOT(stop_voice), [](auto& o, void* u) { return o.stop_voice(u, 0x1003), kNoAnswer; }, "stopVoice 4099",
     kNoAnswer},
    {SLOT(voice_volume), [](auto& o, void* u) { return o.voice_volume(u, 0x1004, 0x4000); }, "voiceVolume 4100 16384",
     40},
    {SLOT(voice_pan), [](auto& o, void* u) { return o.voice_pan(u, 0x1005, -0x4000); }, "voicePan 4101 -16384", 40},
    {SLOT(voice_pitch), [](auto& o, void* u) { return o.voice_pitch(u, 0x1006, -0x8000); }, "voicePitch 4102 -32768",
     40},
    {SLOT(duplicate_sample), [](auto& o, void* u) { return (long long)o.duplicate_sample(u, 0x1007); },
     "duplicateSample 4103", 40},
    {SLOT(voice_start_position), [](auto& o, void* u) { return o.voice_start_position(u, 0x1008, 0x2000), kNoAnswer; },
     "voiceStartPosition 4104 8192", kNoAnswer},
    {SLOT(voice_playing), [](auto& o, void* u) { return o.voice_playing(u, 0x1009); }, "voicePlaying 4105", 40},
    {SLOT(stream_open), [](auto& o, void* u) { return o.stream_open(u, 2, "song.ogg", 3, 4), kNoAnswer; },
     "streamOpen 2 song.ogg 3 4", kNoAnswer},
    {SLOT(stream_close), [](auto& o, void* u) { return o.stream_close(u, 3), kNoAnswer; }, "streamClose 3", kNoAnswer},
    {SLOT(stream_play), [](auto& o, void* u) { return o.stream_play(u, 4); }, "streamPlay 4", 40},
    {SLOT(stream_stop), [](auto& o, void* u) { return o.stream_stop(u, 5), kNoAnswer; }, "streamStop 5", kNoAnswer},
    {SLOT(stream_volume), [](auto& o, void* u) { return o.stream_volume(u, 6, 100); }, "streamVolume 6 100", 40},
    {SLOT(stream_pan), [](auto& o, void* u) { return o.stream_pan(u, 7, -50); }, "streamPan 7 -50", 40},
    {SLOT(stream_pitch), [](auto& o, void* u) { return o.stream_pitch(u, 8, 300); }, "streamPitch 8 300", 40},
    {SLOT(stream_sync), [](auto& o, void* u) { return o.stream_sync(u, 9, 1); }, "streamSync 9 1", 40},
    {SLOT(stream_position), [](auto& o, void* u) { return o.stream_position(u, 10, 11, 12), kNoAnswer; },
     "streamPosition 10 11 12", kNoAnswer},
    {SLOT(stream_position_seconds), [](auto& o, void* u) { return o.stream_position_seconds(u, 11, 1.5f), kNoAnswer; },
     "streamPositionSeconds 11 1.5", kNoAnswer},
    {SLOT(stream_loop_end), [](auto& o, void* u) { return o.stream_loop_end(u, 12, 13, 14), kNoAnswer; },
     "streamLoopEnd 12 13 14", kNoAnswer},
    {SLOT(stream_loop_end_seconds), [](auto& o, void* u) { return o.stream_loop_end_seconds(u, 13, 2.25f), kNoAnswer; },
     "streamLoopEndSeconds 13 2.25", kNoAnswer},
    {SLOT(stream_loop), [](auto& o, void* u) { return o.stream_loop(u, 14, 1, 2, 3, 4), kNoAnswer; },
     "streamLoop 14 1 2 3 4", kNoAnswer},
    {SLOT(stream_loop_seconds), [](auto& o, void* u) { return o.stream_loop_seconds(u, 15, 0.5f, 4.75f), kNoAnswer; },
     "streamLoopSeconds 15 0.5 4.75", kNoAnswer},
};

constexpr size_t kFirstSoundSlot = SLOT(load_sample);

std::array<void*, DP_OPTION_SLOTS> slotsOf(const dp_options& options)
{
    static_assert(sizeof(dp_options) == DP_OPTION_SLOTS * sizeof(void*));
    std::array<void*, DP_OPTION_SLOTS> slots;
    std::memcpy(slots.data(), &options, sizeof options);
    return slots;
}

TEST(EngineOptions, EveryEntryReachesItsSinkMethodWithItsArguments)
{
    host_test::Recorder recorder;
    host::Sinks sinks{&recorder, &recorder};
    const dp_options options = host::engineOptions(sinks);
    for (const Call& c : kCalls) {
        SCOPED_TRACE(c.recorded);
        recorder.calls = 0;
        recorder.last.clear();
        EXPECT_EQ(c.call(options, &sinks), c.answer);
        EXPECT_EQ(recorder.last, c.recorded);
        EXPECT_EQ(recorder.calls, 1);
    }
}

TEST(EngineOptions, ExactlyTheEntriesOfTheGivenSinksAreFilled)
{
    // The memory pair and the reserved entries are never the sinks' business.
    std::array<bool, DP_OPTION_SLOTS> called{};
    for (const Call& c : kCalls) called[c.slot] = true;
    EXPECT_EQ(std::count(called.begin(), called.end(), true), DP_OPTION_SLOTS - 2 - 15) << "a call per named entry";

    host_test::Recorder recorder;
    const struct {
        host::Sinks sinks;
        bool midi, sound;
    } cases[] = {
        {{&recorder, &recorder}, true, true},
        {{&recorder, nullptr}, true, false},
        {{nullptr, &recorder}, false, true},
        {{nullptr, nullptr}, false, false},
    };
    for (const auto& c : cases) {
        const auto slots = slotsOf(host::engineOptions(c.sinks));
        for (size_t i = 0; i < DP_OPTION_SLOTS; ++i) {
            const bool wanted = called[i] && (i < kFirstSoundSlot ? c.midi : c.sound);
            EXPECT_EQ(slots[i] != nullptr, wanted) << "entry " << i << " midi " << c.midi << " sound " << c.sound;
        }
    }
}

TEST(EngineOptions, TheDefaultsAnswerAsEmptyEntriesWould)
{
    host::MidiSink quiet;
    host::Sinks sinks{&quiet, nullptr};
    const dp_options o = host::engineOptions(sinks);
    EXPECT_EQ(o.error(&sinks, 0x10, 8), 8) << "the code itself becomes the result";
    EXPECT_EQ(o.note_on(&sinks, 0, 0, 0, 60, 100), 0);
    EXPECT_EQ(o.exclusive_buffer(&sinks, 0, 0, 4), nullptr) << "the message is dropped";
    EXPECT_EQ(o.endless_loop_pass(&sinks, 0, 5), 0) << "the loop jumps back";
}

TEST(EngineOptions, AnInstanceDeliversToTheSinksItWasMadeWith)
{
    struct Notes final : host::MidiSink {
        std::vector<int> keys;
        int noteOn(int, int, int, int key, int) override { return keys.push_back(key), 0; }
    } notes;
    host::Sinks sinks{&notes, nullptr};
    zem_test::TempDir dir;
    const std::string out = dir.file("song.zem");
    const std::string score = "#1 o4 l4 c e g\n";
    ASSERT_EQ(zemc(reinterpret_cast<const uint8_t*>(score.data()), uint32_t(score.size()), "song.kvt", out.c_str(), 0,
                   nullptr, nullptr),
              ZEMC_OK);
    const std::string image = zem_test::readFile(out);
    dp_player* player = host::createEngine(1, image.data(), image.size(), sinks, nullptr);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->advance_units(player, 3000, DP_NORMAL_SPEED), 0);
    player->close(player);
    EXPECT_EQ(notes.keys, (std::vector<int>{60, 64, 67}));

    const uint8_t notAnImage[16] = {};
    int error = -1;
    EXPECT_EQ(host::createEngine(1, notAnImage, sizeof notAnImage, sinks, &error), nullptr);
    EXPECT_EQ(error, DP_FORMAT_ERROR);
}

} // namespace
