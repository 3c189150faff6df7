// A voice's pitch may move onto the device rate and off it again without a
// click: the output stays as smooth as the tone itself.
#include "audio_test_kit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using namespace audio_test;
using namespace platform;

constexpr double kToneHertz = 1000;
constexpr double kAmplitude = 16384; // half of full scale

int largestSecondDifference(const std::vector<int16_t>& mono)
{
    int largest = 0;
    for (size_t i = 2; i < mono.size(); ++i)
        largest = std::max(largest, std::abs(mono[i] - 2 * mono[i - 1] + mono[i - 2]));
    return largest;
}

TEST(AudioPitchSwitch, MovingOntoAndOffTheDeviceRateIsSeamless)
{
    struct Step {
        uint32_t frequency;
        uint32_t frames;
    };
    struct Row {
        const char* name;
        uint32_t bufferRate;
        std::vector<Step> steps;
    };
    const Row rows[] = {
        {"bend up and back", 44100, {{44100, 5000}, {46722, 7001}, {44100, 9000}}},
        {"bend down, back, up, back", 44100, {{41000, 3333}, {44100, 4444}, {48000, 5555}, {44100, 6666}}},
        {"small steps around the rate", 44100, {{44099, 2000}, {44100, 2000}, {44101, 2000}, {44100, 2000}}},
        {"half-rate sample up an octave", 22050, {{22050, 3000}, {44100, 5000}, {30000, 4000}, {44100, 5000}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto device = offlineDevice();
        const uint32_t frames = r.bufferRate * 3;
        auto buffer = bufferWith(*device, format(1, 16, r.bufferRate),
                                 bytesOf(sine(frames, 1, kToneHertz, r.bufferRate, kAmplitude)));
        ASSERT_TRUE(buffer);
        std::vector<int16_t> left;
        uint32_t highest = 0;
        for (const Step& step : r.steps) {
            ASSERT_EQ(buffer->setFrequency(step.frequency), kAudioOk);
            if (left.empty()) ASSERT_EQ(buffer->play(0), kAudioOk);
            const std::vector<int16_t> part = channelOf(render16(*device, step.frames), 0, 2);
            left.insert(left.end(), part.begin(), part.end());
            highest = std::max(highest, step.frequency);
        }
        // The resampler's first output starts from silence: skip its onset.
        left.erase(left.begin(), left.begin() + 64);
        const double step = 2 * std::numbers::pi * kToneHertz * highest / r.bufferRate / kRate;
        const double sineOwn = kAmplitude * step * step;
        EXPECT_LE(largestSecondDifference(left), 2 * sineOwn) << "the tone's own: " << sineOwn;
        EXPECT_GT(peak(left), kAmplitude * 0.9) << "the tone must sound throughout";
    }
}

} // namespace
