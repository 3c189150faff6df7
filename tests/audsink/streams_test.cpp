// Streams tick by tick on the offline device (one tick every 10 ms = 441
// frames, before the frames of its time are mixed), and on real threads
// with SDL's dummy driver.
#include "audsink_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace audsink_test;

namespace {

constexpr uint32_t kTickMs = 10;
constexpr uint32_t kTickFrames = 441;
constexpr uint32_t kBufferMs = 20; // segments of 3532 bytes, 883 frames

struct StreamRig {
    OfflineSink ds;
    DecoderLog log;
    ds8_stream* stream = ds->stream_create(ds.get(), kTickMs);
    std::vector<int16_t> played;

    ~StreamRig() { ds->stream_destroy(stream); }

    // One tick, then the 10 ms of audio after it.
    void step(int ticks = 1)
    {
        for (int i = 0; i < ticks; ++i) {
            auto out = ds.render(kTickFrames);
            played.insert(played.end(), out.begin(), out.end());
        }
    }
    void requestOpen(const std::string& file, const std::string& decoder = "")
    {
        ds->stream_request_open(stream, file.c_str(), decoder.empty() ? log.path().c_str() : decoder.c_str(), kBufferMs,
                                0, 0);
    }
    // Opens `file`, plays it and steps `ticks` ticks.
    void openAndPlay(const std::string& file, int ticks)
    {
        requestOpen(file);
        ds->stream_play(stream);
        step(ticks);
    }
    // Steps until the stream says it stopped, at most `limit` ticks.
    int stepUntilStopped(int limit)
    {
        for (int i = 0; i < limit; ++i) {
            if (ds->stream_is_stopped(stream)) return i;
            step();
        }
        return -1;
    }
    platform::AudioBuffer* buffer()
    {
        return static_cast<platform::AudioBuffer*>(ds->sound_buffer(ds.get(), reinterpret_cast<ds8_sound*>(stream)));
    }
};

// The samples the test decoder delivers for `bytes` bytes of 16-bit PCM.
std::vector<int16_t> expectedSamples(size_t bytes)
{
    auto raw = patternBytes(0, bytes);
    std::vector<int16_t> out(bytes / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = int16_t(raw[2 * i] | raw[2 * i + 1] << 8);
    return out;
}

std::vector<int16_t> withoutSilence(const std::vector<int16_t>& samples)
{
    std::vector<int16_t> out;
    for (int16_t s : samples)
        if (s != 0) out.push_back(s);
    return out;
}

TEST(StreamTicks, RequestsTakeOneStateEachTick)
{
    StreamRig rig;
    auto& ds = rig.ds;
    rig.requestOpen("ch=2,bytes=2,frames=2000");
    EXPECT_EQ(ds->stream_is_open(rig.stream), 0);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 0);
    rig.step(); // closed -> opening
    EXPECT_EQ(ds->stream_is_open(rig.stream), 0);
    rig.step(); // opening -> open
    EXPECT_EQ(ds->stream_is_open(rig.stream), 1);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 0);
    ds->stream_play(rig.stream);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 0);
    rig.step(); // open -> playing
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 0);
    // 2000 frames fill segments 0 to 2 (883 frames each); segment 2 is
    // free once the cursor enters segment 3 at frame 2649, seen by the
    // seventh tick after the start (frame 3087).
    EXPECT_EQ(rig.stepUntilStopped(100), 7);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 1);
    ds->stream_request_close(rig.stream);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 1) << "until the thread closes it";
    rig.step(2);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 0);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 1);
    EXPECT_EQ(rig.log.takeControl().back(), "close");
}

TEST(StreamTicks, PlaysEveryDecodedByteOnceThenStops)
{
    // Whole segments, short deliveries, and deliveries with empty calls
    // between them that do not end the stream: what plays is the decoded
    // PCM in order, with silence only where nothing was delivered.
    struct Case {
        const char* file;
        bool gapless;
    } cases[] = {
        {"ch=2,bytes=2,frames=5000", true},
        {"ch=2,bytes=2,frames=5000,chunk=1000", false},
        {"ch=2,bytes=2,frames=5000,chunk=3532,gap=2", false},
        {"ch=2,bytes=2,frames=5000,chunk=400,gap=7", false},
        {"ch=2,bytes=2,frames=4000,chunk=7000,gap=40", false},
        {"ch=2,bytes=2,frames=6000,chunk=3532,gap=12", false},
        {"ch=2,bytes=2,frames=6000,chunk=3532,gap=5", false},
        {"ch=2,bytes=2,frames=6000,chunk=2000,gap=4", false},
    };
    for (const auto& c : cases) {
        StreamRig rig;
        rig.openAndPlay(c.file, 3);
        const size_t before = rig.played.size();
        ASSERT_GE(rig.stepUntilStopped(400), 0) << c.file;
        std::vector<int16_t> tail(rig.played.begin() + long(before) - 2 * kTickFrames, rig.played.end());
        const auto frames = std::stoul(std::string(c.file).substr(std::string(c.file).find("frames=") + 7));
        const auto expected = expectedSamples(frames * 4);
        EXPECT_EQ(withoutSilence(tail), expected) << c.file;
        if (c.gapless) {
            ASSERT_GE(tail.size(), expected.size());
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), tail.begin())) << c.file;
        }
    }
}

TEST(StreamTicks, RequestsBeforeOpenApplyAfterItInOrder)
{
    StreamRig rig;
    auto& ds = rig.ds;
    EXPECT_EQ(ds->stream_set_position(rig.stream, 500, 0), DS8_POS_OK);
    EXPECT_EQ(ds->stream_set_loop(rig.stream, 10, 0, 20, 1), DS8_POS_OK);
    EXPECT_EQ(ds->stream_set_end_seconds(rig.stream, 0.5f), DS8_POS_OK);
    rig.requestOpen("ch=2,bytes=2,rate=8000,frames=100000");
    rig.step(2);
    auto calls = rig.log.takeControl();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 4),
              (std::vector<std::string>{"open 1 0 0", "setloop 10 4294967316", "setend 4000", "setpos 500"}));

    // Once open, requests go straight to the decoder.
    struct Case {
        int32_t code;
        const char* logged;
    } cases[] = {
        {ds->stream_set_position_seconds(rig.stream, 1.5f), "setpos 12000"},
        {ds->stream_set_loop_seconds(rig.stream, 2.0f, 1.0f), "setloop 0 0"},
        {ds->stream_set_loop(rig.stream, 7, 0, 7, 0), "setloop 0 0"},
        {ds->stream_set_end(rig.stream, 0, 0), "setend 0"},
        {ds->stream_set_position_seconds(rig.stream, -1.0f), "setpos 0"},
    };
    calls = rig.log.takeControl();
    ASSERT_EQ(calls.size(), std::size(cases));
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(cases[i].code, DS8_POS_OK);
        EXPECT_EQ(calls[i], cases[i].logged);
    }
}

TEST(StreamTicks, PositionsFollowTheDecodersCapabilities)
{
    struct Case {
        const char* file;
        int32_t set;
        uint64_t get;
    } cases[] = {
        {"ch=2,bytes=2,rate=8000,frames=9000,flags=0", DS8_POS_UNSUPPORTED, 0},
        {"ch=2,bytes=2,rate=8000,frames=9000,flags=4", DS8_POS_OK, 0},
        {"ch=2,bytes=2,rate=8000,frames=9000,flags=6", DS8_POS_OK, 4000},
    };
    for (const auto& c : cases) {
        StreamRig rig;
        auto& ds = rig.ds;
        ASSERT_EQ(ds->stream_open(rig.stream, c.file, rig.log.path().c_str(), 200, 0, 0), DS8_OK);
        EXPECT_EQ(ds->stream_set_position(rig.stream, 4000, 0), c.set) << c.file;
        EXPECT_EQ(ds->stream_set_end(rig.stream, 1, 0), DS8_POS_UNSUPPORTED) << c.file;
        EXPECT_EQ(ds->stream_get_position(rig.stream), c.get) << c.file;
        EXPECT_DOUBLE_EQ(ds->stream_get_position_seconds(rig.stream), c.get / 8000.0) << c.file;
    }
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    EXPECT_EQ(ds->stream_set_position(nullptr, 1, 0), DS8_POS_NO_STREAM);
    ds->destroy(ds);
}

TEST(StreamTicks, OpenWhileOpenClosesFirstEvenWhilePlaying)
{
    StreamRig rig;
    auto& ds = rig.ds;
    rig.openAndPlay("ch=2,bytes=2,frames=100000", 5);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 1);
    rig.log.take();
    // A new file while the old one plays: it replaces it and plays.
    rig.requestOpen("ch=2,bytes=2,frames=3000,texts=5");
    ds->stream_play(rig.stream);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 0);
    const size_t before = rig.played.size();
    ASSERT_GE(rig.stepUntilStopped(200), 0);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 1);
    const auto calls = rig.log.takeControl();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "close");
    EXPECT_EQ(calls[1], "open 1 0 0");
    std::vector<int16_t> after(rig.played.begin() + long(before), rig.played.end());
    const auto second = expectedSamples(3000 * 4);
    auto start = std::search(after.begin(), after.end(), second.begin(), second.end());
    EXPECT_NE(start, after.end()) << "the second file plays whole";
}

TEST(StreamTicks, FailedOpensUnwindAndLeaveTheStreamClosed)
{
    struct Case {
        const char* file;
        const char* decoder;
        std::vector<std::string> calls;
        int32_t code;
    } cases[] = {
        {"ch=3,bytes=2", "fake_full", {"open 1 0 0", "close"}, DS8_ERR_INVALID_CALL},
        {"ch=2,bytes=2,rate=50", "fake_full", {"open 1 0 0", "close"}, DS8_ERR_INVALID_CALL},
        {"fail=1", "fake_full", {"open 1 0 0"}, DS8_ERR_INVALID_CALL},
        {"ch=2,bytes=2", "fake_minimal", {}, DS8_ERR_INVALID_CALL},
        {"ch=2,bytes=2", "fake_too_new", {}, DS8_ERR_INVALID_CALL},
        {"ch=2,bytes=2", "missing_decoder", {}, DS8_ERR_INVALID_CALL},
    };
    for (const auto& c : cases) {
        StreamRig rig;
        DecoderLog minimal("fake_minimal");
        auto& ds = rig.ds;
        EXPECT_EQ(ds->stream_open(rig.stream, c.file, fakeDecoder(c.decoder).c_str(), 100, 0, 0), c.code);
        EXPECT_EQ(rig.log.takeControl(), c.calls) << c.file;
        EXPECT_TRUE(minimal.take().empty()) << "a decoder without dw_isend is not opened";
        // The same through the thread's open.
        rig.requestOpen(c.file, fakeDecoder(c.decoder));
        rig.step(3);
        EXPECT_EQ(ds->stream_is_open(rig.stream), 0) << c.file;
        EXPECT_EQ(ds->stream_is_stopped(rig.stream), 1) << c.file;
        EXPECT_EQ(rig.log.takeControl(), c.calls) << c.file;
    }
}

TEST(StreamTicks, SynchronousOpenChecksItsArguments)
{
    StreamRig rig;
    auto& ds = rig.ds;
    const char* decoder = rig.log.path().c_str();
    EXPECT_EQ(ds->stream_open(rig.stream, nullptr, decoder, 100, 0, 0), DS8_ERR_INVALID_ARG);
    EXPECT_EQ(ds->stream_open(rig.stream, "ch=2", decoder, 0, 0, 0), DS8_ERR_INVALID_ARG);
    EXPECT_EQ(ds->stream_open(nullptr, "ch=2", decoder, 100, 0, 0), DS8_ERR_INVALID_ARG);
    rig.ds->stream_request_open(rig.stream, "ch=2", decoder, 0, 0, 0);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 1) << "an open request of 0 ms is ignored";
    ds->close_device(ds.get());
    EXPECT_EQ(ds->stream_open(rig.stream, "ch=2", decoder, 100, 0, 0), DS8_ERR_INVALID_CALL);
}

TEST(StreamTicks, FormatQueryAndProbe)
{
    StreamRig rig;
    auto& ds = rig.ds;
    const char* decoder = rig.log.path().c_str();
    uint8_t record[24];
    std::memset(record, 0xAA, sizeof record);
    EXPECT_EQ(ds->stream_format(rig.stream, record, 20), 1) << "no format before an open";
    EXPECT_EQ(ds->stream_probe(rig.stream, "ch=1,bytes=1,rate=8000,frames=77", decoder, 100, 0, 0, record, 19),
              DS8_ERR_INVALID_ARG);
    EXPECT_EQ(ds->stream_probe(rig.stream, "ch=1,bytes=1,rate=8000,frames=77,flags=6", decoder, 100, 0, 0, record, 20),
              DS8_OK);
    const uint8_t probed[20] = {1, 1, 6, 1, 0x40, 0x1F, 0, 0, 77, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(record, record + 20), std::vector<uint8_t>(probed, probed + 20));
    EXPECT_EQ(ds->stream_is_open(rig.stream), 0) << "the probe closes again";

    // A record of another version is valid for 12 bytes only.
    ASSERT_EQ(ds->stream_open(rig.stream, "ch=2,bytes=2,rate=8000,frames=5,version=2", decoder, 100, 0, 0), DS8_OK);
    std::memset(record, 0xAA, sizeof record);
    EXPECT_EQ(ds->stream_format(rig.stream, record, 24), 0);
    const uint8_t short12[24] = {2, 2, 30, 2, 0x40, 0x1F, 0, 0, 5};
    EXPECT_EQ(std::vector<uint8_t>(record, record + 24), std::vector<uint8_t>(short12, short12 + 24));
    EXPECT_EQ(ds->stream_format(rig.stream, record, 19), 1);
}

TEST(StreamTicks, RememberedLevelPanAndPitchReachEveryNewBuffer)
{
    StreamRig rig;
    auto& ds = rig.ds;
    const char* decoder = rig.log.path().c_str();
    EXPECT_EQ(ds->stream_level(rig.stream, 8192), DS8_ERR_INVALID_CALL) << "no buffer yet, remembered";
    ASSERT_EQ(ds->stream_open(rig.stream, "ch=2,bytes=2,rate=22050,frames=500", decoder, 100, 0, 0), DS8_OK);
    EXPECT_EQ(ds->stream_pan(rig.stream, 8192), DS8_OK);
    EXPECT_EQ(ds->stream_pitch(rig.stream, 3072), DS8_OK);
    // A second file gets a fresh buffer: every remembered value is sent again.
    ASSERT_EQ(ds->stream_open(rig.stream, "ch=2,bytes=2,rate=11025,frames=500", decoder, 100, 0, 0), DS8_OK);
    int32_t volume = 0, pan = 0;
    uint32_t rate = 0;
    rig.buffer()->getVolume(volume);
    rig.buffer()->getPan(pan);
    rig.buffer()->getFrequency(rate);
    EXPECT_EQ(volume, -714);
    EXPECT_EQ(pan, 714);
    EXPECT_EQ(rate, 22050u);
    ds->stream_switch(rig.stream, 7);
    EXPECT_EQ(rig.log.takeControl().back(), "switch 7");
}

int32_t peakOf(const std::vector<int16_t>& samples)
{
    int32_t peak = 0;
    for (int16_t v : samples) peak = std::max(peak, std::abs(int32_t{v}));
    return peak;
}

TEST(StreamTicks, ACloseAskedForAtAnyStateEndsTheStream)
{
    // A close asked for after `ticks` ticks of an open and a play; none may
    // be lost, whatever the stream was doing then.
    for (int ticks : {0, 1, 2, 3, 5}) {
        SCOPED_TRACE(ticks);
        StreamRig rig;
        auto& ds = rig.ds;
        rig.openAndPlay("ch=2,bytes=2,frames=44100", ticks);
        ds->stream_request_close(rig.stream);
        const size_t from = rig.played.size();
        rig.step(3);
        EXPECT_EQ(ds->stream_is_open(rig.stream), 0);
        EXPECT_EQ(ds->stream_is_stopped(rig.stream), 1);
        rig.played.erase(rig.played.begin(), rig.played.begin() + long(from + 2 * 2 * kTickFrames));
        EXPECT_EQ(peakOf(rig.played), 0);
    }
}

TEST(StreamTicks, APlayThatCanNeverHappenCountsAsStopped)
{
    // Every sync on "stopped" must end: a play request on a stream whose
    // open failed, or that was never asked to open, never plays.
    const struct {
        const char* file;
        const char* decoder; // null: the test decoder
        bool open;
    } cases[] = {
        {"ch=2,bytes=2,fail=1", nullptr, true},
        {"ch=9,bytes=2", nullptr, true},
        {"ch=2,bytes=2", "no_such_decoder.so", true},
        {"", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        StreamRig rig;
        if (c.open) rig.requestOpen(c.file, c.decoder ? c.decoder : "");
        rig.ds->stream_play(rig.stream);
        EXPECT_EQ(rig.stepUntilStopped(5), c.open ? 2 : 0);
        EXPECT_EQ(rig.ds->stream_is_open(rig.stream), 0);
    }
}

TEST(StreamTicks, PauseAllHoldsBackAStreamAskedToPlayMeanwhile)
{
    StreamRig rig;
    auto& ds = rig.ds;
    ds->pause_all(ds.get(), 1);
    rig.openAndPlay("ch=2,bytes=2,frames=44100", 6);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 1);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 0) << "held, not stopped";
    EXPECT_EQ(peakOf(rig.played), 0);
    ds->pause_all(ds.get(), 0);
    rig.played.clear();
    rig.step(3);
    EXPECT_EQ(withoutSilence(rig.played).front(), expectedSamples(4).front()) << "from its first frame";
}

TEST(StreamTicks, AReopenedDeviceStopsEveryStreamAndSound)
{
    StreamRig rig;
    auto& ds = rig.ds;
    rig.openAndPlay("ch=2,bytes=2,frames=441000", 4);
    ASSERT_EQ(ds->stream_is_stopped(rig.stream), 0);
    ASSERT_EQ(ds->open_device(ds.get(), DS8_OFFLINE_DEVICE, 2, 16, 44100, nullptr, 2), DS8_OK);
    EXPECT_EQ(ds->stream_is_stopped(rig.stream), 1);
    EXPECT_EQ(ds->stream_is_open(rig.stream), 0);
    EXPECT_EQ(rig.log.takeControl().back(), "close");
    // The stream works on the new device.
    rig.played.clear();
    rig.requestOpen("ch=2,bytes=2,frames=2000");
    ds->stream_play(rig.stream);
    EXPECT_GE(rig.stepUntilStopped(100), 0);
    EXPECT_EQ(withoutSilence(rig.played), expectedSamples(8000));
}

TEST(StreamTicks, SegmentsAreAtLeastTwoTicksLong)
{
    // Ticks of 20 ms over 10 ms segments: each tick would find the ring
    // played out.  Gaps: runs of silence inside the played file.
    OfflineSink ds;
    DecoderLog log;
    ds8_stream* stream = ds->stream_create(ds.get(), 20);
    ds->stream_request_open(stream, "ch=2,bytes=2,frames=88200", log.path().c_str(), 10, 0, 0);
    ds->stream_play(stream);
    std::vector<int16_t> played;
    for (int i = 0; i < 600 && !ds->stream_is_stopped(stream); ++i) {
        const auto out = ds.render(441);
        played.insert(played.end(), out.begin(), out.end());
    }
    ds->stream_destroy(stream);
    const auto first = std::find_if(played.begin(), played.end(), [](int16_t v) { return v != 0; });
    const auto last = std::find_if(played.rbegin(), played.rend(), [](int16_t v) { return v != 0; }).base();
    const std::vector<int16_t> file(first, last);
    int gaps = 0;
    for (size_t i = 1; i < file.size(); ++i) gaps += file[i] == 0 && file[i - 1] != 0;
    std::printf("gaps %d, file played in %zu frames\n", gaps, file.size() / 2);
    EXPECT_EQ(file, expectedSamples(88200 * 4));
}

TEST(StreamThreads, PlayOnTheDummyDriverAndStopByThemselves)
{
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    ASSERT_EQ(ds->open_device(ds, "", 2, 16, 44100, nullptr, 2), DS8_OK) << "SDL_AUDIODRIVER=dummy";
    DecoderLog log;
    ds8_stream* streams[3];
    for (auto& s : streams) {
        s = ds->stream_create(ds, 5);
        ASSERT_TRUE(s);
        ds->stream_request_open(s, "ch=2,bytes=2,frames=4410", log.path().c_str(), 30, 0, 0);
        ds->stream_play(s);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (auto* s : streams) {
        while (!ds->stream_is_stopped(s) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(ds->stream_is_stopped(s), 1);
        EXPECT_EQ(ds->stream_is_open(s), 1);
    }
    // One more plays on while it is destroyed; destroying the instance
    // takes the rest.
    ds->stream_request_open(streams[0], "ch=2,bytes=2,frames=441000", log.path().c_str(), 30, 0, 0);
    ds->stream_play(streams[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ds->stream_destroy(streams[0]);
    ds->destroy(ds);
    const auto calls = log.takeControl();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "close"),
              std::count_if(calls.begin(), calls.end(), [](auto& l) { return l.rfind("open", 0) == 0; }));
}

TEST(StreamThreads, CallersNeverWaitForAnOpenOnItsWay)
{
    // The stream thread opens a file that takes 400 ms to open; asking
    // about the stream and closing it meanwhile answers at once, and the
    // close is not lost.
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    ASSERT_EQ(ds->open_device(ds, "", 2, 16, 44100, nullptr, 2), DS8_OK);
    DecoderLog log;
    ds8_stream* stream = ds->stream_create(ds, 5);
    ds->stream_request_open(stream, "ch=2,bytes=2,frames=44100,sleep=400", log.path().c_str(), 30, 0, 0);
    ds->stream_play(stream);
    const auto opening = [&] {
        const auto calls = log.takeControl();
        return std::find(calls.begin(), calls.end(), "open 1 0 0") != calls.end();
    };
    for (int i = 0; i < 100 && !opening(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ds->stream_is_stopped(stream), 0);
    ds->stream_request_close(stream);
    EXPECT_EQ(ds->stream_is_open(stream), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    for (int i = 0; i < 200 && !ds->stream_is_stopped(stream); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(ds->stream_is_stopped(stream), 1);
    EXPECT_EQ(ds->stream_is_open(stream), 0);
    ds->destroy(ds);
    const auto calls = log.takeControl();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "close"), 1) << "the handle opened meanwhile is closed";
}

TEST(StreamThreads, LoadingOnStreamThreadsNeverWaitsForCallers)
{
    // Stream threads take decoders and fill their rings under their state
    // locks; callers take the instance lock, then a state lock, and take
    // decoders for queries.  Neither may wait for the other in a circle.
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    ASSERT_EQ(ds->open_device(ds, "", 2, 16, 44100, nullptr, 2), DS8_OK);
    DecoderLog log;
    std::vector<ds8_stream*> streams;
    for (int i = 0; i < 4; ++i) streams.push_back(ds->stream_create(ds, 1));
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    int rounds = 0;
    while (std::chrono::steady_clock::now() < end) {
        for (ds8_stream* s : streams) {
            ds->stream_request_open(s, "ch=2,bytes=2,frames=20000", log.path().c_str(), 100, 0, 0);
            ds->stream_play(s);
            ds->stream_level(s, rounds % 16385);
            EXPECT_EQ(ds->pcm_count(ds, "ch=2", log.path().c_str()), 3);
        }
        ++rounds;
    }
    ds->destroy(ds);
    EXPECT_GE(rounds, 2);
    const auto calls = log.takeControl();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "close"),
              std::count_if(calls.begin(), calls.end(), [](auto& l) { return l.rfind("open", 0) == 0; }));
}

} // namespace
