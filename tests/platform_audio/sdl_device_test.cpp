// The real-time device: names, opening by name, and what SDL's disk driver
// captures compared with an offline render of the same buffers.
#include "audio_test_kit.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace {

using namespace platform;
using namespace audio_test;

// Waits until buffer stops playing; false after a few seconds.
bool waitUntilStopped(AudioBuffer& buffer)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    uint32_t status = kAudioStatusPlaying;
    while (std::chrono::steady_clock::now() < deadline) {
        if (buffer.getStatus(status) != kAudioOk || !(status & kAudioStatusPlaying)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(AudioDevice, NamesAndOpening)
{
    const std::string mapper = audioOutputDeviceName(kAudioMapper);
    EXPECT_FALSE(mapper.empty());
    EXPECT_LE(mapper.size(), kAudioNameChars);
    const int count = audioOutputDeviceCount();
    EXPECT_GE(count, 0);
    EXPECT_EQ(audioOutputDeviceName(count), "");
    EXPECT_EQ(audioOutputDeviceName(-2), "");
    for (int i = 0; i < count; ++i) EXPECT_LE(audioOutputDeviceName(i).size(), kAudioNameChars);

    struct Case {
        std::string name;
        AudioResult expected;
    };
    const Case cases[] = {
        {"", kAudioOk},
        {mapper, kAudioOk},
        {"No such output device", kAudioInvalidArgument},
        {mapper + " and more", kAudioInvalidArgument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<AudioDevice> device;
        EXPECT_EQ(openAudioDevice(c.name, device), c.expected);
        EXPECT_EQ(device != nullptr, c.expected == kAudioOk);
    }
}

// The callback drives the mixer: a one-shot buffer plays to its end and
// stops by itself; closing the device loses it.
TEST(AudioDevice, RealTimeClockPlaysBuffers)
{
    std::unique_ptr<AudioDevice> device;
    ASSERT_EQ(openAudioDevice("", device), kAudioOk);
    ASSERT_EQ(device->setPrimaryFormat(format(2, 16, 22050)), kAudioOk);
    auto buffer = bufferWith(*device, format(1, 8), std::vector<uint8_t>(4410, 0xC0));
    ASSERT_TRUE(buffer);
    ASSERT_EQ(buffer->play(0), kAudioOk);
    EXPECT_TRUE(waitUntilStopped(*buffer));
    uint32_t play = 1;
    ASSERT_EQ(buffer->getCurrentPosition(&play, nullptr), kAudioOk);
    EXPECT_EQ(play, 0u);
    ASSERT_EQ(buffer->play(kAudioPlayLooping), kAudioOk);
    device.reset();
    uint32_t status = 0;
    ASSERT_EQ(buffer->getStatus(status), kAudioOk);
    EXPECT_EQ(status, kAudioStatusBufferLost);
}

struct DiskCase {
    const char* name;
    AudioFormat primary;
    AudioFormat bufferFormat;
    uint32_t frequency;
    int32_t volume;
    int32_t pan;
};

// A falling tone over a ramp: no two stretches of it look alike.
std::vector<uint8_t> signalFor(const AudioFormat& format)
{
    const uint32_t frames = format.sampleRate / 5;
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / format.sampleRate;
        const auto value =
            static_cast<int16_t>(12000 * std::sin(2 * M_PI * (900 - 1500 * t) * t) + 30000.0 * i / frames - 15000);
        for (int c = 0; c < format.channels; ++c) samples.push_back(c ? static_cast<int16_t>(value / 2) : value);
    }
    if (format.bitsPerSample == 16) return bytesOf(samples);
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) bytes.push_back(static_cast<uint8_t>((s >> 8) + 128));
    return bytes;
}

// Plays the case's buffer once on device; false when a call fails.
std::unique_ptr<AudioBuffer> startCase(AudioDevice& device, const DiskCase& c)
{
    if (device.setPrimaryFormat(c.primary) != kAudioOk) return nullptr;
    auto buffer = bufferWith(device, c.bufferFormat, signalFor(c.bufferFormat));
    if (!buffer || buffer->setFrequency(c.frequency) != kAudioOk || buffer->setVolume(c.volume) != kAudioOk ||
        buffer->setPan(c.pan) != kAudioOk || buffer->play(0) != kAudioOk)
        return nullptr;
    return buffer;
}

size_t firstSounding(const std::vector<uint8_t>& bytes, uint32_t blockBytes, uint8_t silence)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != silence) return i / blockBytes * blockBytes;
    return bytes.size();
}

TEST(AudioDevice, DiskCaptureEqualsOfflineRender)
{
    const DiskCase cases[] = {
        {"device rate", format(2, 16), format(2, 16), 0, 0, 0},
        {"resampled, attenuated, panned", format(2, 16), format(1, 16, 22050), 30000, -600, 2000},
        {"8-bit device and buffer", format(1, 8, 22050), format(2, 8, 11025), 0, -300, 0},
    };
    zem_test::TempDir dir;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string previousDriver = driver ? driver : "";
    for (const DiskCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto offline = openOfflineAudioDevice();
        auto reference = startCase(*offline, c);
        ASSERT_TRUE(reference);
        // The signal lasts 0.2 s at its own rate; 0.5 s covers every case.
        const uint32_t frames = c.primary.sampleRate / 2;
        std::vector<uint8_t> expected(size_t{frames} * c.primary.blockBytes());
        offline->render(expected.data(), frames);

        const std::string file = dir.file(std::string(c.name) + ".raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        std::unique_ptr<AudioDevice> device;
        ASSERT_EQ(openAudioDevice("", device), kAudioOk);
        auto buffer = startCase(*device, c);
        ASSERT_TRUE(buffer);
        EXPECT_TRUE(waitUntilStopped(*buffer));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        device.reset();
        setenv("SDL_AUDIODRIVER", previousDriver.c_str(), 1);

        const std::string captured = dir.read(std::string(c.name) + ".raw");
        const std::vector<uint8_t> got(captured.begin(), captured.end());
        const uint8_t silence = c.primary.bitsPerSample == 8 ? 0x80 : 0x00;
        const uint32_t block = c.primary.blockBytes();
        const size_t expectedStart = firstSounding(expected, block, silence);
        const size_t gotStart = firstSounding(got, block, silence);
        ASSERT_LT(expectedStart, expected.size());
        size_t expectedEnd = expected.size();
        while (expectedEnd > expectedStart && expected[expectedEnd - 1] == silence) --expectedEnd;
        // Everything the offline render holds from its first sound on, and
        // as much of the silence after it as was captured, at one offset.
        ASSERT_GE(got.size(), gotStart + (expectedEnd - expectedStart)) << "the capture holds the whole sound";
        const size_t compared = std::min(expected.size() - expectedStart, got.size() - gotStart);
        EXPECT_TRUE(std::equal(got.begin() + static_cast<long>(gotStart),
                               got.begin() + static_cast<long>(gotStart + compared),
                               expected.begin() + static_cast<long>(expectedStart)));
    }
}

} // namespace
