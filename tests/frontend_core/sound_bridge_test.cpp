// The sound and stream bridge against a fake 66-slot table: decoder names
// and paths, the slot check, answers without an instance, sync after a
// failed open, and start-up failures.
#include "fake_audsink.h"
#include "sound_bridge.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using frontend_test::FakeAudsink;
using Lines = std::vector<std::string>;

TEST(SoundBridge, DecoderChoiceFromTheLastComponent)
{
    const struct {
        const char* name;
        const char* key; // nullptr: no decoder
        const char* library;
    } cases[] = {
        {"loop.WAV", "WAV", "qzwav.so"}, {"sub/dir/take2.Ogg", "OGG", "qzogg.so"},
        {"a.b.mp3", "MP3", "qzmp3.so"},  {"dir.wav/noext", nullptr, nullptr},
        {"noext", nullptr, nullptr},     {"trailing.", nullptr, nullptr},
        {"x.w/v", nullptr, nullptr},     {"x.w_v", nullptr, nullptr},
        {"x.w=v", nullptr, nullptr},     {"x.]", nullptr, nullptr},
        {"x.\xE9t", nullptr, nullptr},   {"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto choice = frontend::decoderChoice(c.name);
        EXPECT_EQ(choice.has_value(), c.key != nullptr) << c.name;
        if (choice && c.key) {
            EXPECT_EQ(choice->upperExtension, c.key) << c.name;
            EXPECT_EQ(choice->defaultName, c.library) << c.name;
        }
    }
}

struct Bridge {
    Bridge()
        : bridge([this](const std::string& line) { pane.push_back(line); },
                 [this](const std::string& key, const std::string& fallback) {
                     asked.push_back(key);
                     const auto it = plug.find(key);
                     return it != plug.end() ? it->second : fallback;
                 })
    {}
    Lines pane;
    Lines asked;
    std::map<std::string, std::string> plug;
    frontend::SoundBridge bridge;
};

TEST(SoundBridge, ForwardsRequestsWithPathsAndDecoders)
{
    FakeAudsink fake;
    Bridge b;
    b.plug["OGG"] = "myogg.so";
    ASSERT_EQ(b.bridge.create(frontend_test::fakeEntries(&fake), nullptr),
              frontend::SoundBridge::CreateResult::Created);
    b.bridge.setPieceFolder("/music/piece");
    b.bridge.setStreamBufferMs(300);
    fake.calls.clear();

    const uintptr_t sound = b.bridge.loadSample("hit.WAV", 0, 7);
    EXPECT_EQ(b.bridge.duplicateSample(sound), uintptr_t(0x1002));
    EXPECT_EQ(b.bridge.startVoice(sound, 3), 0);
    EXPECT_EQ(b.bridge.voiceVolume(sound, 16384), 0);
    EXPECT_EQ(b.bridge.voicePan(sound, -16384), 0);
    EXPECT_EQ(b.bridge.voicePitch(sound, -32768), 0);
    EXPECT_EQ(b.bridge.voiceStartPosition(sound, 8192), 0);
    EXPECT_EQ(b.bridge.voicePlaying(sound), 1);
    b.bridge.stopVoice(sound);
    b.bridge.freeSample(sound);
    EXPECT_EQ(b.bridge.loadSample("/abs/x.ogg", 1, 2), uintptr_t(0x1001));
    EXPECT_EQ(b.bridge.loadSample("bad.w?v", 0, 0), 0u); // no decoder: nothing is asked
    b.bridge.streamOpen(3, "song.ogg", 1, 70000);
    EXPECT_EQ(b.bridge.streamPlay(3), 0);
    EXPECT_EQ(b.bridge.streamVolume(3, 100), 0);
    EXPECT_EQ(b.bridge.streamPan(3, 5), 0);
    EXPECT_EQ(b.bridge.streamPitch(3, 6), 0);
    b.bridge.streamPosition(3, 1, 2);
    b.bridge.streamPositionSeconds(3, 1.5f);
    b.bridge.streamLoopEnd(3, 3, 4);
    b.bridge.streamLoopEndSeconds(3, 2.5f);
    b.bridge.streamLoop(3, 5, 6, 7, 8);
    b.bridge.streamLoopSeconds(3, 0.25f, 0.5f);
    b.bridge.streamStop(3);
    b.bridge.streamClose(3);
    const Lines expected = {
        "sound_load /music/piece/hit.WAV qzwav.so 0 7",
        "sound_duplicate sound1",
        "sound_play sound1 1",
        "sound_level sound1 16384",
        "sound_pan sound1 -16384",
        "sound_pitch sound1 -32768",
        "sound_position sound1 8192",
        "sound_status sound1",
        "sound_stop sound1",
        "sound_free sound1",
        "sound_load /abs/x.ogg myogg.so 1 2",
        "stream_request_open stream3 /music/piece/song.ogg myogg.so 300 1 70000",
        "stream_play stream3",
        "stream_level stream3 100",
        "stream_pan stream3 5",
        "stream_pitch stream3 6",
        "stream_set_position stream3 1 2",
        "stream_set_position_seconds stream3 1.5",
        "stream_set_end stream3 3 4",
        "stream_set_end_seconds stream3 2.5",
        "stream_set_loop stream3 5 6 7 8",
        "stream_set_loop_seconds stream3 0.25 0.5",
        "stream_stop stream3",
        "stream_request_close stream3",
    };
    EXPECT_EQ(fake.calls, expected);
    EXPECT_EQ(b.asked, (Lines{"WAV", "OGG", "OGG"}));
    EXPECT_TRUE(b.pane.empty());
}

TEST(SoundBridge, SettersAnswerOneWhenRefused)
{
    FakeAudsink fake;
    fake.result = DS8_ERR_INVALID_CALL;
    Bridge b;
    ASSERT_EQ(b.bridge.create(frontend_test::fakeEntries(&fake), nullptr),
              frontend::SoundBridge::CreateResult::Created);
    const uintptr_t sound = 0x1001;
    const int results[] = {b.bridge.startVoice(sound, 0),
                           b.bridge.voiceVolume(sound, 1),
                           b.bridge.voicePan(sound, 1),
                           b.bridge.voicePitch(sound, 1),
                           b.bridge.voiceStartPosition(sound, 1),
                           b.bridge.streamVolume(0, 1),
                           b.bridge.streamPan(0, 1),
                           b.bridge.streamPitch(0, 1)};
    for (int r : results) EXPECT_EQ(r, 1);
}

TEST(SoundBridge, SlotCheck)
{
    FakeAudsink fake;
    Bridge b;
    ASSERT_EQ(b.bridge.create(frontend_test::fakeEntries(&fake), nullptr),
              frontend::SoundBridge::CreateResult::Created);
    fake.calls.clear();
    EXPECT_EQ(b.bridge.streamPlay(16), 1);
    b.bridge.streamOpen(-1, "a.wav", 0, 0);
    b.bridge.streamClose(99);
    b.bridge.streamStop(16);
    EXPECT_EQ(b.bridge.streamVolume(16, 1), 1);
    EXPECT_EQ(b.bridge.streamSync(16, 0), 0);
    b.bridge.streamLoop(16, 0, 0, 0, 0);
    EXPECT_EQ(b.pane, (Lines{"strplay: unsupported context(16)", "stropen: unsupported context(-1)",
                             "strclose: unsupported context(99)", "strstop: unsupported context(16)"}));
    EXPECT_TRUE(fake.calls.empty());
}

TEST(SoundBridge, WithoutAnInstanceEveryRequestAnswersAsMissing)
{
    Bridge b;
    EXPECT_EQ(b.bridge.loadSample("a.wav", 0, 0), 0u);
    EXPECT_EQ(b.bridge.duplicateSample(1), 0u);
    EXPECT_EQ(b.bridge.startVoice(1, 0), 1);
    EXPECT_EQ(b.bridge.voiceVolume(1, 0), 1);
    EXPECT_EQ(b.bridge.voicePlaying(1), 16);
    EXPECT_EQ(b.bridge.streamPlay(0), 1);
    EXPECT_EQ(b.bridge.streamPitch(0, 0), 1);
    EXPECT_EQ(b.bridge.streamSync(0, 0), 0);
    EXPECT_EQ(b.bridge.streamSync(0, 1), 0);
    b.bridge.streamOpen(16, "a.wav", 0, 0); // no line either: nothing to refuse it
    EXPECT_TRUE(b.pane.empty());
    EXPECT_TRUE(b.asked.empty());
}

TEST(SoundBridge, SyncCountsAFailedOpenAsReached)
{
    FakeAudsink fake;
    Bridge b;
    ASSERT_EQ(b.bridge.create(frontend_test::fakeEntries(&fake), nullptr),
              frontend::SoundBridge::CreateResult::Created);
    fake.streams[1].openFails = true;
    const struct {
        int slot;
        const char* name; // nullptr: no open before the sync
        int wanted;
        int answer;
    } cases[] = {
        {0, "good.wav", 0, 0}, // opened
        {1, "bad.wav", 0, 0},  // failed: reached, with a line
        {1, nullptr, 0, 0},    // seen already: no second line
        {2, "x.w?v", 0, 0},    // no decoder: never requested, reached
        {3, nullptr, 1, 0},    // stopped
        {4, nullptr, 7, 0},    // any other value
    };
    for (const auto& c : cases) {
        if (c.name) b.bridge.streamOpen(c.slot, c.name, 0, 0);
        EXPECT_EQ(b.bridge.streamSync(c.slot, c.wanted), c.answer) << c.slot;
    }
    // Pending requests are "not yet".
    b.bridge.streamOpen(5, "later.wav", 0, 0);
    EXPECT_EQ(b.bridge.streamSync(5, 1), 1);
    EXPECT_EQ(b.pane, (Lines{"stropen: cannot open(1)", "stropen: cannot open(2)"}));
}

TEST(SoundBridge, CreationFailures)
{
    {
        FakeAudsink fake;
        fake.failStreamAt = 5;
        Bridge b;
        EXPECT_EQ(b.bridge.create(frontend_test::fakeEntries(&fake), nullptr),
                  frontend::SoundBridge::CreateResult::NoStream);
        EXPECT_FALSE(b.bridge.hasInstance());
        Lines expected(6, "stream_create 20");
        for (int i = 0; i < 5; ++i) expected.push_back("stream_destroy stream" + std::to_string(i));
        expected.insert(expected.end(), {"close_device", "destroy"});
        EXPECT_EQ(fake.calls, expected);
    }
    {
        Bridge b;
        EXPECT_EQ(b.bridge.create(frontend_test::fakeEntries(nullptr), nullptr),
                  frontend::SoundBridge::CreateResult::NoInstance);
        EXPECT_EQ(b.bridge.create(frontend::AudsinkEntries{}, nullptr),
                  frontend::SoundBridge::CreateResult::NoInstance);
    }
}

TEST(SoundBridge, DeviceAndPause)
{
    FakeAudsink fake;
    Bridge b;
    ASSERT_EQ(b.bridge.create(frontend_test::fakeEntries(&fake), nullptr),
              frontend::SoundBridge::CreateResult::Created);
    fake.calls.clear();
    b.bridge.openDevice("");
    b.bridge.openDevice("Speakers");
    b.bridge.pauseAll(true);
    b.bridge.pauseAll(false);
    b.bridge.closeAllStreams();
    Lines expected = {"open_device Speakers 2 16 44100 none 2", "pause_all 1", "pause_all 0"};
    for (int i = 0; i < 16; ++i) expected.push_back("stream_request_close stream" + std::to_string(i));
    EXPECT_EQ(fake.calls, expected);
}

} // namespace
