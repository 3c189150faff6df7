// What the offline device renders for buffers played with given settings.
#include "audio_test_kit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace platform;
using namespace audio_test;

// At the device rate, unity volume and centre pan, every sample comes out
// as it went in (scaled to 16 bits, copied to both sides when mono).
TEST(AudioRender, DeviceRateIsSampleForSample)
{
    struct Case {
        const char* name;
        AudioFormat bufferFormat;
        std::vector<uint8_t> bytes;
        std::vector<int16_t> expected; // stereo device output
    };
    const std::vector<Case> cases = {
        {"16-bit stereo",
         format(2, 16),
         bytesOf({1, -1, 32767, -32768, 1234, -4321}),
         {1, -1, 32767, -32768, 1234, -4321}},
        {"16-bit mono", format(1, 16), bytesOf({5, -32768, 32767}), {5, 5, -32768, -32768, 32767, 32767}},
        {"8-bit mono", format(1, 8), {0x80, 0x00, 0xFF, 0x81}, {0, 0, -32768, -32768, 32512, 32512, 256, 256}},
        {"8-bit stereo", format(2, 8), {0x80, 0x40, 0xC0, 0x7F}, {0, -16384, 16384, -256}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto device = offlineDevice();
        auto buffer = bufferWith(*device, c.bufferFormat, c.bytes);
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->play(0), kAudioOk);
        const uint32_t frames = static_cast<uint32_t>(c.expected.size() / 2);
        std::vector<int16_t> out = render16(*device, frames + 4);
        std::vector<int16_t> tail(out.begin() + c.expected.size(), out.end());
        out.resize(c.expected.size());
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(peak(tail), 0) << "a one-shot buffer is silent after its end";
    }
}

TEST(AudioRender, VolumeAndPanScaleEachSide)
{
    struct Case {
        int32_t volume;
        int32_t pan;
        double left; // expected gain
        double right;
    };
    const Case cases[] = {
        {0, 0, 1.0, 1.0},      {-600, 0, 0.501, 0.501}, {-2000, 0, 0.1, 0.1},
        {-10000, 0, 0.0, 0.0}, {0, -10000, 1.0, 0.0},   {0, 10000, 0.0, 1.0},
        {0, -600, 1.0, 0.501}, {0, 600, 0.501, 1.0},    {-600, 600, 0.251, 0.501},
    };
    const std::vector<int16_t> tone = sine(4410, 1, 441, kRate, 20000);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
        auto device = offlineDevice();
        auto buffer = bufferWith(*device, format(1, 16), bytesOf(tone));
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->setVolume(c.volume), kAudioOk);
        ASSERT_EQ(buffer->setPan(c.pan), kAudioOk);
        ASSERT_EQ(buffer->play(0), kAudioOk);
        const std::vector<int16_t> out = render16(*device, 4410);
        const double in = peak(tone);
        EXPECT_NEAR(peak(channelOf(out, 0, 2)) / in, c.left, 0.01 * std::max(c.left, 0.01));
        EXPECT_NEAR(peak(channelOf(out, 1, 2)) / in, c.right, 0.01 * std::max(c.right, 0.01));
    }
}

// Playing faster shortens the sound and raises its pitch in proportion;
// a buffer recorded at another rate keeps its pitch at the original rate.
TEST(AudioRender, FrequencyChangesDurationAndPitch)
{
    struct Case {
        uint32_t bufferRate;
        uint32_t frequency; // kAudioFrequencyOriginal: the buffer's rate
        double seconds;     // expected duration
        double hertz;       // expected pitch
    };
    const Case cases[] = {
        {44100, 88200, 0.25, 882},
        {44100, 22050, 1.0, 220.5},
        {22050, kAudioFrequencyOriginal, 0.5, 441},
        {22050, 44100, 0.25, 882},
        {48000, 44100, 0.5 * 48000 / 44100, 441.0 * 44100 / 48000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bufferRate << " Hz buffer played at " << c.frequency);
        auto device = offlineDevice();
        const uint32_t frames = c.bufferRate / 2;
        auto buffer = bufferWith(*device, format(1, 16, c.bufferRate), bytesOf(sine(frames, 1, 441, c.bufferRate)));
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->setFrequency(c.frequency), kAudioOk);
        ASSERT_EQ(buffer->play(0), kAudioOk);
        const std::vector<int16_t> left = channelOf(render16(*device, kRate * 2), 0, 2);
        const double expectedFrames = c.seconds * kRate;
        EXPECT_NEAR(double(soundingLength(left)), expectedFrames, 256);
        // Leave out the resampler's onset and the fade at the end.
        const std::vector<int16_t> body(left.begin() + 300, left.begin() + static_cast<long>(expectedFrames) - 300);
        EXPECT_NEAR(dominantHertz(body), c.hertz, c.hertz * 0.005);
    }
}

// A looping buffer whose content continues smoothly across its end comes
// out without a step larger than the signal's own, at any playing rate.
TEST(AudioRender, LoopingWrapsWithoutAClick)
{
    const uint32_t frequencies[] = {44100, 48000, 32000, 88200};
    // 441 Hz fits exactly 10 periods into 10000 frames at 44.1 kHz.
    const std::vector<int16_t> tone = sine(1000 * 10, 2, 441);
    const int ownStep = largestStep(channelOf(tone, 0, 2));
    for (uint32_t frequency : frequencies) {
        SCOPED_TRACE(frequency);
        auto device = offlineDevice();
        auto buffer = bufferWith(*device, format(2, 16), bytesOf(tone));
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->setFrequency(frequency), kAudioOk);
        ASSERT_EQ(buffer->play(kAudioPlayLooping), kAudioOk);
        std::vector<int16_t> out = render16(*device, 10000 * 5);
        out.erase(out.begin(), out.begin() + 2 * 200); // the onset from silence is a step of its own
        const int allowed = ownStep * static_cast<int>(frequency) / 44100 + 2 * ownStep / 100 + 2;
        EXPECT_LE(largestStep(channelOf(out, 0, 2)), allowed);
        EXPECT_GT(peak(std::vector<int16_t>(out.end() - 2000, out.end())), 15000) << "still playing";
        uint32_t status = 0;
        ASSERT_EQ(buffer->getStatus(status), kAudioOk);
        EXPECT_EQ(status, kAudioStatusPlaying | kAudioStatusLooping);
    }
}

// A streaming writer that fills a region beyond the write cursor and clears
// it once the play cursor has passed: the region is heard exactly once.
TEST(AudioRender, RegionWrittenWhilePlayingIsHeardOnce)
{
    const uint32_t frames = 8192;
    const uint32_t offsets[] = {0, 3000, 8000}; // 8000: the region wraps
    for (uint32_t renderedFirst : offsets) {
        SCOPED_TRACE(renderedFirst);
        auto device = offlineDevice();
        auto buffer = bufferWith(*device, format(2, 16), std::vector<uint8_t>(frames * 4, 0));
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->play(kAudioPlayLooping), kAudioOk);
        std::vector<int16_t> out = render16(*device, renderedFirst + 1);

        uint32_t play = 0;
        uint32_t write = 0;
        ASSERT_EQ(buffer->getCurrentPosition(&play, &write), kAudioOk);
        EXPECT_NE(play, write) << "the mixer reads ahead of the play cursor";
        std::vector<int16_t> marker;
        for (int i = 1; i <= 600; ++i) marker.insert(marker.end(), {static_cast<int16_t>(i), static_cast<int16_t>(-i)});
        writeAt(*buffer, write, bytesOf(marker));

        // Play past the marker, then clear it as a streaming writer would.
        const uint32_t markerEnd = (write / 4 + 600) % frames;
        for (int blocks = 0; blocks < 64; ++blocks) {
            const std::vector<int16_t> more = render16(*device, 256);
            out.insert(out.end(), more.begin(), more.end());
            ASSERT_EQ(buffer->getCurrentPosition(&play, nullptr), kAudioOk);
            if ((play / 4 + frames - markerEnd) % frames < frames / 2) break;
        }
        writeAt(*buffer, write, std::vector<uint8_t>(marker.size() * 2, 0));
        const std::vector<int16_t> rest = render16(*device, frames * 2);
        out.insert(out.end(), rest.begin(), rest.end());

        const auto found = std::search(out.begin(), out.end(), marker.begin(), marker.end());
        ASSERT_NE(found, out.end()) << "the marker is heard";
        EXPECT_EQ(std::search(found + 1, out.end(), marker.begin(), marker.end()), out.end()) << "only once";
        EXPECT_EQ(std::count_if(out.begin(), out.end(), [](int16_t s) { return s != 0; }),
                  static_cast<long>(marker.size()));
    }
}

// A duplicate shares the bytes but has its own cursor, settings and state.
TEST(AudioRender, DuplicatePlaysFromItsOwnCursor)
{
    std::vector<int16_t> ramp;
    for (int i = 0; i < 1000; ++i) ramp.push_back(static_cast<int16_t>(i * 30));
    auto device = offlineDevice();
    auto original = bufferWith(*device, format(1, 16), bytesOf(ramp));
    ASSERT_TRUE(original);
    ASSERT_EQ(original->setPan(kAudioPanLeft), kAudioOk);
    std::unique_ptr<AudioBuffer> copy;
    ASSERT_EQ(device->duplicateBuffer(*original, copy), kAudioOk);
    int32_t pan = 0;
    ASSERT_EQ(copy->getPan(pan), kAudioOk);
    EXPECT_EQ(pan, kAudioPanLeft) << "settings are copied";
    ASSERT_EQ(copy->setPan(kAudioPanRight), kAudioOk);
    ASSERT_EQ(copy->setCurrentPosition(500 * 2), kAudioOk);
    writeAt(*original, 999 * 2, bytesOf({-7})); // shared: heard in both

    ASSERT_EQ(original->play(0), kAudioOk);
    ASSERT_EQ(copy->play(0), kAudioOk);
    std::vector<int16_t> out = render16(*device, 600);
    uint32_t status = 1;
    ASSERT_EQ(copy->getStatus(status), kAudioOk);
    EXPECT_EQ(status, 0u) << "the duplicate ended on its own";
    ASSERT_EQ(original->getStatus(status), kAudioOk);
    EXPECT_EQ(status, kAudioStatusPlaying);
    const std::vector<int16_t> more = render16(*device, 400);
    out.insert(out.end(), more.begin(), more.end());
    const std::vector<int16_t> left = channelOf(out, 0, 2);
    const std::vector<int16_t> right = channelOf(out, 1, 2);
    for (int i : {0, 1, 250, 498}) {
        EXPECT_EQ(left[i], ramp[i]);
        EXPECT_EQ(right[i], ramp[i + 500]);
    }
    EXPECT_EQ(left[999], -7);
    EXPECT_EQ(right[499], -7);
    EXPECT_EQ(peak(std::vector<int16_t>(right.begin() + 500, right.end())), 0);
}

// Sums beyond full scale are clipped, never wrapped; both device sample
// sizes and channel counts get the same mix.
TEST(AudioRender, MixIsClippedInTheDeviceFormat)
{
    struct Case {
        AudioFormat primary;
        std::vector<uint8_t> expected; // first frame of device bytes
    };
    const Case cases[] = {
        {format(2, 16), {0xFF, 0x7F, 0x00, 0x80}},
        {format(1, 16), {0x00, 0x00}}, // the sides cancel in a mono mix
        {format(2, 8), {0xFF, 0x00}},
        {format(1, 8), {0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.primary.channels << " channels, " << c.primary.bitsPerSample << " bits");
        auto device = offlineDevice(c.primary);
        auto first = bufferWith(*device, format(2, 16), bytesOf({30000, -30000}));
        auto second = bufferWith(*device, format(2, 16), bytesOf({20000, -20000}));
        ASSERT_TRUE(first && second);
        ASSERT_EQ(first->play(0), kAudioOk);
        ASSERT_EQ(second->play(0), kAudioOk);
        std::vector<uint8_t> out(c.primary.blockBytes());
        device->render(out.data(), 1);
        EXPECT_EQ(out, c.expected);
    }
}

// Stopping keeps the cursor; playing again resumes there; moving the cursor
// while playing takes effect at once.
TEST(AudioRender, StopResumeAndMove)
{
    std::vector<int16_t> ramp;
    for (int i = 0; i < 2000; ++i) ramp.push_back(static_cast<int16_t>(i + 1));
    auto device = offlineDevice(format(1, 16));
    auto buffer = bufferWith(*device, format(1, 16), bytesOf(ramp));
    ASSERT_TRUE(buffer);
    ASSERT_EQ(buffer->play(0), kAudioOk);
    EXPECT_EQ(render16(*device, 300).back(), 300);
    ASSERT_EQ(buffer->stop(), kAudioOk);
    EXPECT_EQ(peak(render16(*device, 100)), 0);
    uint32_t play = 0;
    ASSERT_EQ(buffer->getCurrentPosition(&play, nullptr), kAudioOk);
    EXPECT_EQ(play, 300u * 2);
    ASSERT_EQ(buffer->play(0), kAudioOk);
    EXPECT_EQ(render16(*device, 1).front(), 301);
    ASSERT_EQ(buffer->setCurrentPosition(1500 * 2 + 1), kAudioOk); // rounded down to the frame
    EXPECT_EQ(render16(*device, 1).front(), 1501);
    const std::vector<int16_t> rest = render16(*device, 600);
    EXPECT_EQ(soundingLength(rest, 0), 499u);
    ASSERT_EQ(buffer->getCurrentPosition(&play, nullptr), kAudioOk);
    EXPECT_EQ(play, 0u) << "a finished one-shot buffer rewinds";
}

} // namespace
