// Level, pan and pitch conversions and the stream arithmetic, with the
// worked values of the design and the indexes at and beyond the ends.
#include "conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace audsink;

namespace {

const ConversionTables& tables()
{
    static const auto t = [] {
        auto made = std::make_unique<ConversionTables>();
        buildTables(*made);
        return made;
    }();
    return *t;
}

TEST(Conversions, LevelSendsHundredthsOfDecibels)
{
    struct Case {
        int32_t level;
        int32_t volume;
    } cases[] = {
        {16384, 0}, {8192, -714}, {0, -10000},   {-5, -10000},  {20000, 0},
        {16383, 0}, {1, -9285},   {12288, -296}, {4096, -1428},
    };
    for (const auto& c : cases) EXPECT_EQ(levelToVolume(tables(), c.level), c.volume) << "level " << c.level;
}

TEST(Conversions, LevelTableFallsSteadily)
{
    for (int k = 1; k <= kLevelSteps; ++k) ASSERT_GE(tables().level[k], tables().level[k - 1]) << k;
}

TEST(Conversions, PanSpansBothSides)
{
    struct Case {
        int32_t pan;
        int32_t value;
    } cases[] = {
        {16384, 10000}, {-16384, -10000}, {0, 0}, {8192, 714}, {-8192, -714}, {40000, 10000}, {-40000, -10000},
    };
    for (const auto& c : cases) EXPECT_EQ(panToValue(tables(), c.pan), c.value) << "pan " << c.pan;
}

TEST(Conversions, PitchCountsStepsPerOctave)
{
    struct Case {
        uint32_t base;
        int32_t pitch;
        uint32_t rate;
    } cases[] = {
        {44100, 0, 44100},
        {44100, 3072, 88200},
        {44100, -3072, 22050},
        {44100, 256, 46721},
        {44100, 32767, 100000},
        {22050, 6144, 88200},
        {11025, -6144, 2756},
        {100000, 32767, 100000},
        {100, -32768, 100},
        {100000, 1, 100000},
        {44100, 3071, 88178},
        {44100, -1, 44089},
        {100, 32767, 100000},
        {440, -3071, 220},
        // Halving stops below 202 Hz while whole octaves still come off the
        // index: 44100 halves eight times to 172, then 172 x 2^(-2048/3072).
        {44100, -32768, 108},
        {250, -9216, 125},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pitchToRate(tables(), c.base, c.pitch), c.rate) << c.base << " Hz, pitch " << c.pitch;
}

TEST(Conversions, PitchStaysInsideTheTableForEveryIndex)
{
    // Rates at the edges stop doubling or halving early; the index must
    // still come down into one octave.
    for (uint32_t base : {100u, 101u, 201u, 202u, 99999u, 100000u}) {
        for (int32_t pitch = -32768; pitch <= 32767; pitch += 97) {
            const uint32_t rate = pitchToRate(tables(), base, pitch);
            ASSERT_GE(rate, kMinRate) << base << " " << pitch;
            ASSERT_LE(rate, kMaxRate) << base << " " << pitch;
        }
    }
}

TEST(Conversions, PitchTableEnds)
{
    EXPECT_EQ(tables().pitch[0], 16384);
    EXPECT_EQ(tables().pitch[1536], 23170);
    EXPECT_EQ(tables().pitch[kPitchSteps], 32768);
}

TEST(Conversions, SegmentIsOneBlockMoreThanTheTime)
{
    struct Case {
        uint32_t ms, rate, channels, bytes, segment;
    } cases[] = {
        {200, 44100, 2, 2, 35284},
        {200, 44100, 1, 1, 8821},
        {1, 44100, 2, 2, 180}, // 176.4 bytes: 176 is whole blocks already, one more block
        {3, 22050, 1, 2, 134}, // 132.3 -> 132, whole blocks, one more
        {100000, 100000, 2, 2, 40000004},
        {1, 100, 1, 1, 1}, // nothing in 1 ms: one block
    };
    for (const auto& c : cases)
        EXPECT_EQ(segmentBytes(c.ms, c.rate, c.channels, c.bytes), c.segment) << c.ms << " ms at " << c.rate;
}

TEST(Conversions, SegmentOfAnyLengthFitsFourTimesInOneBuffer)
{
    // 1000 s of 100 kHz stereo would be 400 MB a segment; in 32 bits the
    // product wraps around to a small, wrong size.
    for (uint32_t ms : {1000000u, 0xFFFFFFFFu, 50000000u}) {
        const uint32_t segment = segmentBytes(ms, 100000, 2, 2);
        EXPECT_EQ(segment, 67108860u) << ms;
        EXPECT_LE(uint64_t{segment} * 4, kMaxBufferBytes) << ms;
    }
    EXPECT_EQ(segmentBytes(0xFFFFFFFFu, 44100, 1, 1) * uint64_t{4} <= kMaxBufferBytes, true);
}

TEST(Conversions, SecondsBecomeWholeFrames)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        uint32_t rate;
        float seconds;
        uint64_t frames;
    } cases[] = {
        {44100, 1.5f, 66150},
        {44100, 0, 0},
        {44100, -2, 0},
        {44100, nan, 0},
        {48000, 0.25f, 12000},
        {48000, 0.01f, 479},
        {8000, 1e6f, 8000000000ull},
        {44100, inf, UINT64_MAX},
        {44100, 1e30f, UINT64_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(secondsToFrames(c.rate, c.seconds), c.frames) << c.seconds << " s at " << c.rate;
}

} // namespace
