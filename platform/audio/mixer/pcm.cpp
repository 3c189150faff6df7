#include "pcm.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace platform::audio {

namespace {

// Samples are little-endian; on a little-endian host a copy is the read.
constexpr bool kLittleEndianHost = std::endian::native == std::endian::little;

int16_t sampleAt(const uint8_t* bytes)
{
    if constexpr (kLittleEndianHost) {
        int16_t value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    return static_cast<int16_t>(bytes[0] | (bytes[1] << 8));
}

void putSample(int16_t value, uint8_t* bytes)
{
    if constexpr (kLittleEndianHost) {
        std::memcpy(bytes, &value, sizeof value);
        return;
    }
    bytes[0] = static_cast<uint8_t>(value & 0xFF);
    bytes[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Clipped to low..high and rounded half away from zero; written without a
// library call so the loops around it vectorize.
int32_t clipped(float value, float low, float high)
{
    const float limited = std::min(std::max(value, low), high);
    return static_cast<int32_t>(limited + std::copysign(0.5f, limited));
}

} // namespace

float gainOfCentibels(int32_t centibels)
{
    if (centibels <= kAudioVolumeMin) return 0.0f;
    return static_cast<float>(std::pow(10.0, centibels / 2000.0));
}

Gains gainsOf(int32_t volume, int32_t pan)
{
    // Pan only ever attenuates the side away from it.
    return Gains{gainOfCentibels(volume - std::max(pan, 0)), gainOfCentibels(volume + std::min(pan, 0)),
                 gainOfCentibels(volume)};
}

void readFrames(const uint8_t* __restrict bytes, const AudioFormat& format, uint32_t frames, float* __restrict out)
{
    const size_t samples = size_t{frames} * format.channels;
    if (format.bitsPerSample == 8) {
        for (size_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(bytes[i]) - 128) * (1.0f / 128);
        return;
    }
    for (size_t i = 0; i < samples; ++i) out[i] = sampleAt(bytes + 2 * i) * (1.0f / 32768);
}

void addFrames(const float* __restrict in, uint32_t inChannels, uint32_t frames, const Gains& gains,
               float* __restrict mix, uint32_t mixChannels)
{
    const float left = gains.left;
    const float right = gains.right;
    if (mixChannels == 2 && inChannels == 2) {
        for (size_t i = 0; i < frames; ++i) {
            mix[2 * i] += in[2 * i] * left;
            mix[2 * i + 1] += in[2 * i + 1] * right;
        }
    } else if (mixChannels == 2) {
        for (size_t i = 0; i < frames; ++i) {
            mix[2 * i] += in[i] * left;
            mix[2 * i + 1] += in[i] * right;
        }
    } else if (inChannels == 2) {
        const float half = gains.mono * 0.5f;
        for (size_t i = 0; i < frames; ++i) mix[i] += (in[2 * i] + in[2 * i + 1]) * half;
    } else {
        const float mono = gains.mono;
        for (size_t i = 0; i < frames; ++i) mix[i] += in[i] * mono;
    }
}

void writeSamples(const float* __restrict mix, uint32_t samples, uint16_t bitsPerSample, uint8_t* __restrict out)
{
    if (bitsPerSample == 8) {
        for (size_t i = 0; i < samples; ++i)
            out[i] = static_cast<uint8_t>(clipped(mix[i] * 128.0f, -128.0f, 127.0f) + 128);
        return;
    }
    for (size_t i = 0; i < samples; ++i)
        putSample(static_cast<int16_t>(clipped(mix[i] * 32768.0f, -32768.0f, 32767.0f)), out + 2 * i);
}

} // namespace platform::audio
