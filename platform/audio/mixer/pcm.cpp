#include "pcm.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {

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

void readFrames(const uint8_t* bytes, const AudioFormat& format, uint32_t frames, float* out)
{
    const uint32_t samples = frames * format.channels;
    if (format.bitsPerSample == 8) {
        for (uint32_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(bytes[i]) - 128) * (1.0f / 128);
        return;
    }
    for (uint32_t i = 0; i < samples; ++i) {
        const auto value = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        out[i] = value * (1.0f / 32768);
    }
}

void addFrames(const float* in, uint32_t inChannels, uint32_t frames, const Gains& gains, float* mix,
               uint32_t mixChannels)
{
    if (mixChannels == 2 && inChannels == 2) {
        for (uint32_t i = 0; i < frames; ++i) {
            mix[2 * i] += in[2 * i] * gains.left;
            mix[2 * i + 1] += in[2 * i + 1] * gains.right;
        }
    } else if (mixChannels == 2) {
        for (uint32_t i = 0; i < frames; ++i) {
            mix[2 * i] += in[i] * gains.left;
            mix[2 * i + 1] += in[i] * gains.right;
        }
    } else if (inChannels == 2) {
        const float half = gains.mono * 0.5f;
        for (uint32_t i = 0; i < frames; ++i) mix[i] += (in[2 * i] + in[2 * i + 1]) * half;
    } else {
        for (uint32_t i = 0; i < frames; ++i) mix[i] += in[i] * gains.mono;
    }
}

void writeSamples(const float* mix, uint32_t samples, uint16_t bitsPerSample, uint8_t* out)
{
    if (bitsPerSample == 8) {
        for (uint32_t i = 0; i < samples; ++i) {
            const float scaled = std::clamp(std::nearbyint(mix[i] * 128.0f), -128.0f, 127.0f);
            out[i] = static_cast<uint8_t>(static_cast<int>(scaled) + 128);
        }
        return;
    }
    for (uint32_t i = 0; i < samples; ++i) {
        const auto value = static_cast<int16_t>(std::clamp(std::nearbyint(mix[i] * 32768.0f), -32768.0f, 32767.0f));
        out[2 * i] = static_cast<uint8_t>(value & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
}

} // namespace platform::audio
