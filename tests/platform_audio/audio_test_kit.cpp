#include "audio_test_kit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace audio_test {

using namespace platform;

std::vector<int16_t> sine(uint32_t frames, uint16_t channels, double hertz, uint32_t rate, double amplitude)
{
    std::vector<int16_t> samples(size_t{frames} * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hertz * i / rate)));
        for (uint16_t c = 0; c < channels; ++c) samples[size_t{i} * channels + c] = value;
    }
    return samples;
}

std::vector<uint8_t> bytesOf(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

std::unique_ptr<OfflineAudioDevice> offlineDevice(const AudioFormat& primary)
{
    auto device = openOfflineAudioDevice();
    EXPECT_EQ(device->setPrimaryFormat(primary), kAudioOk);
    return device;
}

void writeAt(AudioBuffer& buffer, uint32_t offset, const std::vector<uint8_t>& bytes)
{
    AudioLockedRegion region;
    ASSERT_EQ(buffer.lock(offset, static_cast<uint32_t>(bytes.size()), region), kAudioOk);
    std::memcpy(region.first, bytes.data(), region.firstBytes);
    if (region.second) std::memcpy(region.second, bytes.data() + region.firstBytes, region.secondBytes);
    ASSERT_EQ(buffer.unlock(region.first, region.firstBytes, region.second, region.secondBytes), kAudioOk);
}

std::unique_ptr<AudioBuffer> bufferWith(AudioDevice& device, const AudioFormat& format,
                                        const std::vector<uint8_t>& bytes, uint32_t flags)
{
    std::unique_ptr<AudioBuffer> buffer;
    const AudioResult result = device.createBuffer(flags, format, static_cast<uint32_t>(bytes.size()), buffer);
    EXPECT_EQ(result, kAudioOk);
    if (result != kAudioOk) return nullptr;
    writeAt(*buffer, 0, bytes);
    return buffer;
}

std::vector<int16_t> render16(OfflineAudioDevice& device, uint32_t frames)
{
    const AudioFormat primary = device.primaryFormat();
    std::vector<uint8_t> bytes(size_t{frames} * primary.blockBytes());
    device.render(bytes.data(), frames);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

std::vector<int16_t> channelOf(const std::vector<int16_t>& samples, uint16_t channel, uint16_t channels)
{
    std::vector<int16_t> one;
    for (size_t i = channel; i < samples.size(); i += channels) one.push_back(samples[i]);
    return one;
}

int peak(const std::vector<int16_t>& samples)
{
    int largest = 0;
    for (int16_t s : samples) largest = std::max(largest, std::abs(static_cast<int>(s)));
    return largest;
}

double dominantHertz(const std::vector<int16_t>& mono, uint32_t rate)
{
    size_t first = 0;
    size_t last = 0;
    int crossings = 0;
    for (size_t i = 1; i < mono.size(); ++i) {
        if (mono[i - 1] < 0 && mono[i] >= 0) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return (crossings - 1) * double(rate) / double(last - first);
}

size_t soundingLength(const std::vector<int16_t>& mono, int threshold)
{
    for (size_t i = mono.size(); i > 0; --i)
        if (std::abs(static_cast<int>(mono[i - 1])) > threshold) return i;
    return 0;
}

int largestStep(const std::vector<int16_t>& mono)
{
    int largest = 0;
    for (size_t i = 1; i < mono.size(); ++i) largest = std::max(largest, std::abs(mono[i] - mono[i - 1]));
    return largest;
}

} // namespace audio_test
