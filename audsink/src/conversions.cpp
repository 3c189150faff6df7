#include "conversions.h"

#include <algorithm>
#include <cmath>

namespace audsink {

void buildTables(ConversionTables& tables)
{
    tables.level[0] = 0;
    for (int k = 1; k < kLevelSteps; ++k) {
        double scaled = double(kLevelSteps - k) * (kLevelSteps - 1) / kLevelSteps + 1;
        tables.level[k] = static_cast<int32_t>(10000.0 * (1.0 - std::log2(scaled) / 14.0));
    }
    tables.level[kLevelSteps] = 10000;

    tables.pitch[0] = 16384;
    for (int i = 1; i < kPitchSteps; ++i)
        tables.pitch[i] = static_cast<int32_t>(16384.0 * std::exp2(double(i) / kPitchSteps));
    tables.pitch[kPitchSteps] = 32768;
}

int32_t clampLevel(int32_t index) { return std::clamp(index, 0, kLevelSteps); }

int32_t clampPan(int32_t index) { return std::clamp(index, -kLevelSteps, kLevelSteps); }

int32_t clampPitch(int32_t index) { return std::clamp(index, -32768, 32767); }

int32_t levelToVolume(const ConversionTables& tables, int32_t level)
{
    return -tables.level[kLevelSteps - clampLevel(level)];
}

int32_t panToValue(const ConversionTables& tables, int32_t pan)
{
    pan = clampPan(pan);
    return pan >= 0 ? tables.level[pan] : -tables.level[-pan];
}

uint32_t pitchToRate(const ConversionTables& tables, uint32_t baseRate, int32_t pitch)
{
    // Whole octaves are taken off the index even once the rate stops
    // doubling or halving, so the look-up always stays inside the table.
    int32_t index = clampPitch(pitch);
    uint64_t rate = baseRate;
    if (index >= 0) {
        while (index > kPitchSteps - 1) {
            index -= kPitchSteps;
            if (rate <= kMaxRate - 1) rate *= 2;
        }
        rate = rate * uint64_t(tables.pitch[index]) / 16384;
    } else {
        while (index < -(kPitchSteps - 1)) {
            index += kPitchSteps;
            if (rate >= 2 * kMinRate + 2) rate /= 2;
        }
        rate = rate * uint64_t(tables.pitch[index + kPitchSteps]) / 32768;
    }
    return static_cast<uint32_t>(std::clamp<uint64_t>(rate, kMinRate, kMaxRate));
}

uint32_t segmentBytes(uint32_t bufferMs, uint32_t rate, uint32_t channels, uint32_t sampleBytes)
{
    const uint64_t block = uint64_t{channels} * sampleBytes;
    const uint64_t cap = (kMaxBufferBytes / 4) / block * block - block;
    uint64_t bytes = uint64_t{bufferMs} * rate * sampleBytes * channels / 1000;
    bytes = std::min(bytes, cap);
    return static_cast<uint32_t>(bytes - bytes % block + block);
}

uint64_t secondsToFrames(uint32_t rate, float seconds)
{
    if (!(seconds > 0)) return 0;
    const double frames = double(rate) * double(seconds);
    if (frames >= 18446744073709551616.0) return UINT64_MAX;
    return static_cast<uint64_t>(frames);
}

} // namespace audsink
