// The sound and stream bridge against a fake 66-slot table: decoder names
// and paths, what each request sends, the slot check, answers without an
// instance, sync after a failed or late open, creation now and on first
// use, and the defaults of every policy.
#include "fake_audsink.h"

#include "audsink_bridge/sound_bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>

namespace {

using audsink_bridge::SoundBridge;
using bridge_test::FakeAudsink;
using Lines = std::vector<std::string>;
using Result = SoundBridge::CreateResult;
using audsink_bridge::StreamFailure;
using audsink_bridge::StreamFailureCode;
using audsink_bridge::StreamRequest;
using Failures = std::vector<StreamFailure>;

// The path in the piece's folder, and the decoder from the last component's
// extension.
TEST(SoundBridge, NamesGiveAPathAndADecoder)
{
    const struct {
        const char* folder;
        const char* name;
        const char* path;
        const char* key; // nullptr: no decoder
        const char* library;
    } cases[] = {
        {"/music", "loop.WAV", "/music/loop.WAV", "WAV", "qzwav.so"},
        {"/music", "/abs/B.WAV", "/abs/B.WAV", "WAV", "qzwav.so"},
        {"", "c.Ogg", "c.Ogg", "OGG", "qzogg.so"}, // a bare score name: the current folder, never the root
        {"/", "x.mp3", "//x.mp3", "MP3", "qzmp3.so"},
        {"/m", "sub/dir/take2.Ogg", "/m/sub/dir/take2.Ogg", "OGG", "qzogg.so"},
        {"/m", "a.b.mp3", "/m/a.b.mp3", "MP3", "qzmp3.so"},
        {"/m", "dir.wav/noext", "/m/dir.wav/noext", nullptr, nullptr},
        {"/m", "noext", "/m/noext", nullptr, nullptr},
        {"/m", "trailing.", "/m/trailing.", nullptr, nullptr},
        {"/m", "x.w/v", "/m/x.w/v", nullptr, nullptr},
        {"/m", "x.w_v", "/m/x.w_v", nullptr, nullptr},
        {"/m", "x.w=v", "/m/x.w=v", nullptr, nullptr},
        {"/m", "x.]", "/m/x.]", nullptr, nullptr},
        {"/m", "x.\xE9t", "/m/x.\xE9t", nullptr, nullptr},
        {"/m", "", "/m/", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(audsink_bridge::soundPath(c.folder, c.name), c.path) << c.name;
        const auto choice = audsink_bridge::decoderChoice(c.name);
        EXPECT_EQ(choice.has_value(), c.key != nullptr) << c.name;
        if (choice && c.key) {
            EXPECT_EQ(choice->upperExtension, c.key) << c.name;
            EXPECT_EQ(choice->defaultName, c.library) << c.name;
        }
    }
}

// Records what a host's policies are asked.
struct Bridge {
    explicit Bridge(bool withPolicies = true) : bridge(withPolicies ? recording() : audsink_bridge::BridgePolicies{}) {}
    audsink_bridge::BridgePolicies recording()
    {
        return {.streamFailure = [this](const StreamFailure& failure) { failures.push_back(failure); },
                .decoder =
                    [this](const audsink_bridge::DecoderChoice& c) {
                        asked.push_back(c.upperExtension);
                        const auto it = plug.find(c.upperExtension);
                        return it != plug.end() ? it->second : c.defaultName;
                    },
                .beforeRequest = [this] { ++requests; },
                .loading = [this] { ++loads; },
                .fileNamed = [this](const std::string& path) { named.push_back(path); }};
    }
    // Created on the fake, with the calls of the creation cleared.
    void create()
    {
        ASSERT_EQ(bridge.create({.entries = bridge_test::fakeEntries(&fake)}), Result::Created);
        fake.calls.clear();
    }
    Failures failures;
    Lines asked;
    int requests = 0;
    int loads = 0; // load and duplicate requests
    Lines named;
    std::map<std::string, std::string> plug;
    FakeAudsink fake;
    SoundBridge bridge;
};

TEST(SoundBridge, ForwardsRequestsWithPathsAndDecoders)
{
    Bridge b;
    b.plug["OGG"] = "myogg.so";
    b.create();
    b.bridge.setPieceFolder("/music/piece");
    b.bridge.setStreamBufferMs(300);

    const uintptr_t sound = b.bridge.loadSample(0, "hit.WAV", 0, 7);
    EXPECT_EQ(b.bridge.duplicateSample(sound), uintptr_t(0x1002));
    b.bridge.startVoice(sound, 3);
    b.bridge.startVoice(sound, 2);
    EXPECT_EQ(b.bridge.voiceVolume(sound, 16384), 0);
    EXPECT_EQ(b.bridge.voicePan(sound, -16384), 0);
    EXPECT_EQ(b.bridge.voicePitch(sound, -32768), 0);
    b.bridge.voiceStartPosition(sound, 8192);
    EXPECT_EQ(b.bridge.voicePlaying(sound), 1);
    b.bridge.stopVoice(sound);
    b.bridge.freeSample(sound);
    EXPECT_EQ(b.bridge.loadSample(0, "/abs/x.ogg", 1, 2), uintptr_t(0x1001));
    EXPECT_EQ(b.bridge.loadSample(0, "bad.w?v", 0, 0), 0u); // no decoder: nothing is asked
    EXPECT_EQ(b.bridge.loadSample(0, nullptr, 0, 0), 0u);
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
        "sound_play sound1 0",
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
    EXPECT_EQ(b.fake.calls, expected);
    EXPECT_EQ(b.asked, (Lines{"WAV", "OGG", "OGG"}));
    EXPECT_EQ(b.requests, 27) << "every request, before anything else";
    EXPECT_TRUE(b.failures.empty());
}

// A real-time host learns of each load or duplicate (its clock must not
// play through the time it took), a renderer of each file a request names
// (it must not write over one), with an instance or without.
TEST(SoundBridge, LoadsAndNamedFilesAreToldToTheHost)
{
    const struct {
        const char* request;
        void (*make)(SoundBridge&);
        int loads;
        Lines named;
    } cases[] = {
        {"load", [](SoundBridge& s) { s.loadSample(3, "hit.wav", 0, 0); }, 1, {"/p/hit.wav"}},
        {"load of an absolute name", [](SoundBridge& s) { s.loadSample(0, "/abs/x.ogg", 0, 0); }, 1, {"/abs/x.ogg"}},
        {"load without a decoder", [](SoundBridge& s) { s.loadSample(0, "noext", 0, 0); }, 1, {"/p/noext"}},
        {"load without a name", [](SoundBridge& s) { s.loadSample(0, nullptr, 0, 0); }, 1, {}},
        {"duplicate", [](SoundBridge& s) { s.duplicateSample(0x1001); }, 1, {}},
        {"stream open", [](SoundBridge& s) { s.streamOpen(2, "song.ogg", 0, 0); }, 0, {"/p/song.ogg"}},
        {"stream open out of range", [](SoundBridge& s) { s.streamOpen(16, "song.ogg", 0, 0); }, 0, {"/p/song.ogg"}},
        {"stream open without a name", [](SoundBridge& s) { s.streamOpen(2, nullptr, 0, 0); }, 0, {}},
        {"voice start", [](SoundBridge& s) { s.startVoice(0x1001, 0); }, 0, {}},
        {"stream play", [](SoundBridge& s) { s.streamPlay(2); }, 0, {}},
    };
    for (const bool instance : {true, false}) {
        for (const auto& c : cases) {
            Bridge b;
            if (instance) b.create();
            b.bridge.setPieceFolder("/p");
            c.make(b.bridge);
            EXPECT_EQ(b.loads, c.loads) << c.request << (instance ? "" : " without an instance");
            EXPECT_EQ(b.named, c.named) << c.request << (instance ? "" : " without an instance");
        }
    }
}

TEST(SoundBridge, SettersAnswerOneWhenRefused)
{
    Bridge b;
    b.create();
    b.fake.result = DS8_ERR_INVALID_CALL;
    const uintptr_t sound = 0x1001;
    const int results[] = {b.bridge.voiceVolume(sound, 1), b.bridge.voicePan(sound, 1), b.bridge.voicePitch(sound, 1),
                           b.bridge.streamVolume(0, 1),    b.bridge.streamPan(0, 1),    b.bridge.streamPitch(0, 1)};
    for (int r : results) EXPECT_EQ(r, 1);
    EXPECT_EQ(b.fake.calls.size(), std::size(results)) << "each was asked";
}

TEST(SoundBridge, SlotCheck)
{
    Bridge b;
    b.create();
    EXPECT_EQ(b.bridge.streamPlay(16), 1);
    b.bridge.streamOpen(-1, "a.wav", 0, 0);
    b.bridge.streamClose(99);
    b.bridge.streamStop(16);
    EXPECT_EQ(b.bridge.streamVolume(16, 1), 1);
    EXPECT_EQ(b.bridge.streamSync(16, 0), 0);
    b.bridge.streamLoop(16, 0, 0, 0, 0);
    constexpr auto kUnsupported = StreamFailureCode::UnsupportedSlot;
    EXPECT_EQ(b.failures, (Failures{{StreamRequest::Play, 16, kUnsupported},
                                    {StreamRequest::Open, -1, kUnsupported},
                                    {StreamRequest::Close, 99, kUnsupported},
                                    {StreamRequest::Stop, 16, kUnsupported}}));
    EXPECT_TRUE(b.fake.calls.empty());
}

TEST(SoundBridge, WithoutAnInstanceEveryRequestAnswersAsMissing)
{
    Bridge b;
    EXPECT_EQ(b.bridge.loadSample(0, "a.wav", 0, 0), 0u);
    EXPECT_EQ(b.bridge.duplicateSample(1), 0u);
    EXPECT_EQ(b.bridge.voiceVolume(1, 0), 1);
    EXPECT_EQ(b.bridge.voicePlaying(1), int(DS8_STATUS_FAILED));
    EXPECT_EQ(b.bridge.streamPlay(0), 1);
    EXPECT_EQ(b.bridge.streamPitch(0, 0), 1);
    EXPECT_EQ(b.bridge.streamSync(0, 0), 0);
    EXPECT_EQ(b.bridge.streamSync(0, 1), 0);
    b.bridge.streamOpen(16, "a.wav", 0, 0); // not reported either: nothing to refuse it
    EXPECT_TRUE(b.failures.empty());
    EXPECT_TRUE(b.asked.empty());
    EXPECT_TRUE(b.fake.calls.empty());
}

TEST(SoundBridge, SyncCountsAFailedOpenAsReached)
{
    Bridge b;
    b.create();
    b.fake.streams[1].openFails = true;
    b.fake.streams[5].queriesBeforeSettle = 1;
    b.fake.streams[6].queriesBeforeSettle = 1;
    b.fake.streams[7].queriesBeforeSettle = 2;
    const struct {
        int slot;
        const char* name; // nullptr: no open before the sync
        int wanted;
        int answer;
    } cases[] = {
        {0, "good.wav", 0, 0},  // opened
        {1, "bad.wav", 0, 0},   // failed: reached, reported
        {1, nullptr, 0, 0},     // seen already: not reported again
        {2, "x.w?v", 0, 0},     // no decoder: never requested, reached, reported
        {3, nullptr, 1, 0},     // stopped
        {4, nullptr, 7, 0},     // any other value
        {5, "later.wav", 1, 1}, // pending: not yet
        {5, nullptr, 1, 0},     // carried out: an open stream that does not play is stopped
        // Carried out between the two queries: open, and not reported as
        // failed.
        {6, "race.wav", 0, 0},
        {7, "slow.wav", 0, 1}, // still pending for both queries
        {7, nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        if (c.name) b.bridge.streamOpen(c.slot, c.name, 0, 0);
        EXPECT_EQ(b.bridge.streamSync(c.slot, c.wanted), c.answer) << c.slot;
    }
    EXPECT_EQ(b.failures, (Failures{{StreamRequest::Open, 1, StreamFailureCode::CannotOpen},
                                    {StreamRequest::Open, 2, StreamFailureCode::CannotOpen}}));
}

// Records what the bridge tells a sync-wait policy, and answers as told.
struct RecordingWait final : audsink_bridge::SyncWait {
    bool mayWait(int slot) override
    {
        log.push_back("wait " + std::to_string(slot));
        return answer;
    }
    void reached(int slot) override { log.push_back("reached " + std::to_string(slot)); }
    Lines log;
    bool answer = true;
};

TEST(SoundBridge, TheSyncWaitPolicyDecidesUnmetWaits)
{
    RecordingWait wait;
    FakeAudsink fake;
    SoundBridge bridge({.syncWait = &wait});
    ASSERT_EQ(bridge.create({.entries = bridge_test::fakeEntries(&fake)}), Result::Created);
    fake.streams[2].queriesBeforeSettle = 4;
    bridge.streamOpen(2, "a.wav", 0, 0);
    const struct {
        bool answer; // the policy's
        int expected;
    } steps[] = {{true, 1}, {false, 0}, {true, 0}};
    for (const auto& step : steps) {
        wait.answer = step.answer;
        EXPECT_EQ(bridge.streamSync(2, 0), step.expected);
    }
    EXPECT_EQ(wait.log, (Lines{"wait 2", "wait 2", "reached 2"}));
    EXPECT_EQ(bridge.streamSync(2, 5), 0);
    EXPECT_EQ(bridge.streamSync(16, 0), 0);
    EXPECT_EQ(wait.log.size(), 3u) << "a refused sync asks no policy";
}

TEST(SoundBridge, WithoutPoliciesLinesAreDroppedDecodersTakeTheirDefaultAndWaitsLast)
{
    Bridge b(false);
    b.create();
    b.fake.streams[0].queriesBeforeSettle = 1000;
    b.bridge.streamOpen(0, "a.OGG", 0, 0);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(b.bridge.streamSync(0, 0), 1);
    EXPECT_EQ(b.bridge.streamPlay(16), 1);
    b.bridge.streamOpen(1, "noext", 0, 0);
    EXPECT_EQ(b.bridge.streamSync(1, 0), 0);
    EXPECT_EQ(b.fake.calls, (Lines{"stream_request_open stream0 a.OGG qzogg.so 200 0 0"}));
}

TEST(SoundBridge, CreationFailuresLeaveNoInstance)
{
    const struct {
        const char* name;
        bool noInstance;
        int failStreamAt;
        int32_t deviceResult;
        const char* device;
        Result result;
        Lines calls;
    } cases[] = {
        {"no instance", true, -1, 0, "", Result::NoInstance, {}},
        {"device refused",
         false,
         -1,
         DS8_ERR_INVALID_ARG,
         "(offline)",
         Result::NoDevice,
         {"open_device (offline) 2 16 44100 none 2", "close_device", "destroy"}},
        {"sixth stream refused",
         false,
         5,
         0,
         "",
         Result::NoStream,
         {"stream_create 20", "stream_create 20", "stream_create 20", "stream_create 20", "stream_create 20",
          "stream_create 20", "stream_destroy stream0", "stream_destroy stream1", "stream_destroy stream2",
          "stream_destroy stream3", "stream_destroy stream4", "close_device", "destroy"}},
    };
    for (const auto& c : cases) {
        Bridge b;
        b.fake.failStreamAt = c.failStreamAt;
        b.fake.deviceResult = c.deviceResult;
        EXPECT_EQ(b.bridge.create(
                      {.entries = bridge_test::fakeEntries(c.noInstance ? nullptr : &b.fake), .device = c.device}),
                  c.result)
            << c.name;
        EXPECT_FALSE(b.bridge.hasInstance()) << c.name;
        EXPECT_EQ(b.fake.calls, c.calls) << c.name;
    }
    Bridge b;
    EXPECT_EQ(b.bridge.create({}), Result::NoInstance) << "no entries";
}

// A host may make its instance (the renderer) on first use: a sample load
// or a stream request.
TEST(SoundBridge, FirstUseIsASampleLoadOrAStreamRequest)
{
    const struct {
        const char* name;
        void (*request)(SoundBridge&);
        bool use;
    } cases[] = {
        {"free", [](SoundBridge& s) { s.freeSample(0x1001); }, false},
        {"voice playing", [](SoundBridge& s) { s.voicePlaying(0x1001); }, false},
        {"load without a name", [](SoundBridge& s) { s.loadSample(0, nullptr, 0, 0); }, false},
        {"stream slot out of range", [](SoundBridge& s) { s.streamPlay(16); }, false},
        {"pause", [](SoundBridge& s) { s.pauseAll(true); }, false},
        {"every stream closed at a stop", [](SoundBridge& s) { s.closeAllStreams(); }, false},
        {"load", [](SoundBridge& s) { s.loadSample(0, "a.xyz", 0, 0); }, true},
        {"load without a decoder", [](SoundBridge& s) { s.loadSample(0, "noext", 0, 0); }, true},
        {"two loads",
         [](SoundBridge& s) {
             s.loadSample(0, "a.wav", 0, 0);
             s.loadSample(0, "b.wav", 0, 0);
         },
         true},
        {"stream sync", [](SoundBridge& s) { s.streamSync(0, 1); }, true},
    };
    const std::string opened = "open_device (offline) 2 16 44100 none 2";
    Lines made = {opened};
    for (int i = 0; i < audsink_bridge::kStreamSlots; ++i) made.push_back("stream_create 1");
    for (const auto& c : cases) {
        Bridge b;
        b.bridge.createOnFirstUse(
            {.entries = bridge_test::fakeEntries(&b.fake), .streamTickMs = 1, .device = DS8_OFFLINE_DEVICE});
        c.request(b.bridge);
        EXPECT_EQ(b.bridge.hasInstance(), c.use) << c.name;
        const Lines first(b.fake.calls.begin(),
                          b.fake.calls.begin() + long(std::min(made.size(), b.fake.calls.size())));
        EXPECT_EQ(first, c.use ? made : Lines{}) << c.name;
    }
    // A failed creation is not tried again.
    Bridge failed;
    failed.fake.deviceResult = DS8_ERR_INVALID_ARG;
    failed.bridge.createOnFirstUse({.entries = bridge_test::fakeEntries(&failed.fake), .device = DS8_OFFLINE_DEVICE});
    EXPECT_EQ(failed.bridge.streamPlay(0), 1);
    EXPECT_EQ(failed.bridge.loadSample(0, "a.wav", 0, 0), 0u);
    EXPECT_EQ(failed.fake.calls, (Lines{opened, "close_device", "destroy"}));
}

TEST(SoundBridge, DeviceAndPause)
{
    Bridge b;
    b.create();
    b.bridge.openDevice("");
    b.bridge.openDevice("Speakers");
    b.bridge.pauseAll(true);
    b.bridge.pauseAll(false);
    b.bridge.closeAllStreams();
    b.bridge.closeDevice();
    Lines expected = {"open_device Speakers 2 16 44100 none 2", "pause_all 1", "pause_all 0"};
    for (int i = 0; i < 16; ++i) expected.push_back("stream_request_close stream" + std::to_string(i));
    expected.push_back("close_device");
    EXPECT_EQ(b.fake.calls, expected);
}

} // namespace
