// Level, pan and pitch conversions and the stream size arithmetic: table
// look-ups built once per instance, no floating point once playing.
#pragma once

#include <array>
#include <cstdint>

namespace audsink {

constexpr int kLevelSteps = 16384;
constexpr int kPitchSteps = 3072; // per octave, 256 per semitone
constexpr uint32_t kMinRate = 100;
constexpr uint32_t kMaxRate = 100000;

struct ConversionTables {
    // level[k]: attenuation in 1/100 dB for k steps below full level.
    std::array<int32_t, kLevelSteps + 1> level;
    // pitch[i] = 16384 * 2^(i / 3072), one octave of rate factors.
    std::array<int32_t, kPitchSteps + 1> pitch;
};

void buildTables(ConversionTables& tables);

int32_t clampLevel(int32_t index);
int32_t clampPan(int32_t index);
int32_t clampPitch(int32_t index);

// Volume to send for a level index 0..16384 (0 full level, -10000 silence).
int32_t levelToVolume(const ConversionTables& tables, int32_t level);
// Pan to send for a pan index -16384..16384 (-10000 left .. 10000 right).
int32_t panToValue(const ConversionTables& tables, int32_t pan);
// Playback rate for a pitch index applied to a base rate, within 100..100000.
uint32_t pitchToRate(const ConversionTables& tables, uint32_t baseRate, int32_t pitch);

// Bytes of one ring segment for buffer_ms of PCM: at least one block more
// than the decoded bytes of that time, kept whole blocks and capped so that
// four segments stay within what one audio buffer may hold.
uint32_t segmentBytes(uint32_t bufferMs, uint32_t rate, uint32_t channels, uint32_t sampleBytes);
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

// Sample frames in a time given in seconds; NaN and negative times are 0.
uint64_t secondsToFrames(uint32_t rate, float seconds);

} // namespace audsink
