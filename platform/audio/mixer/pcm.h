// Sample conversions between buffer bytes, the float mix and device bytes.
#pragma once

#include "platform/audio.h"

#include <cstdint>

namespace platform::audio {

// Gain of a level in 1/100 dB; kAudioVolumeMin and below are silence.
float gainOfCentibels(int32_t centibels);

struct Gains {
    float left = 1.0f;
    float right = 1.0f;
    float mono = 1.0f;
};
Gains gainsOf(int32_t volume, int32_t pan);

// frames whole frames of format, as interleaved floats in -1 .. 1.
void readFrames(const uint8_t* bytes, const AudioFormat& format, uint32_t frames, float* out);
// Adds frames of inChannels floats, scaled by gains, to a mix of
// mixChannels; a stereo input into a mono mix adds the mean of its sides.
void addFrames(const float* in, uint32_t inChannels, uint32_t frames, const Gains& gains, float* mix,
               uint32_t mixChannels);
// samples mix values, clipped, as 8-bit unsigned or 16-bit signed
// little-endian device samples.
void writeSamples(const float* mix, uint32_t samples, uint16_t bitsPerSample, uint8_t* out);

} // namespace platform::audio
