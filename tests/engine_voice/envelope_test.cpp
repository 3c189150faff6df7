// Envelope records, the velocity factor table and the curves walked in
// milliseconds.
#include "voice_envelope.h"

#include <gtest/gtest.h>

#include <array>

using namespace zemplay;

namespace {

using Record = std::array<uint8_t, kEnvelopeRecordSize>;

TEST(VoiceEnvelope, FactorTableRunsFromASixteenthToSixteen)
{
    const struct {
        unsigned index;
        uint32_t factor;
    } cases[] = {{0, 4096}, {16, 8192}, {32, 16384}, {48, 32768}, {64, 65536}, {127, 1048576}};
    for (const auto& c : cases) EXPECT_NEAR(kVelocityFactor[c.index], c.factor, 2) << c.index;
    for (unsigned i = 1; i < 128; ++i) EXPECT_GT(kVelocityFactor[i], kVelocityFactor[i - 1]) << i;
}

TEST(VoiceEnvelope, VelocityPicksTheFactorThroughTheSensitivity)
{
    const struct {
        unsigned velocity;
        int sensitivity;
        unsigned index;
    } cases[] = {{127, 64, 64},     {0, 0, 64},   {0, 64, 0},   {0, 127, 0},
                 {0, -64, 128 - 1}, {63, 127, 0}, {95, 64, 48}, {200, 64, 64}};
    for (const auto& c : cases)
        EXPECT_EQ(velocityFactorIndex(c.velocity, c.sensitivity), c.index) << c.velocity << " " << c.sensitivity;
}

TEST(VoiceEnvelope, ShapesMeetAtBothEndsAndDifferInBetween)
{
    const struct {
        EnvelopeShape shape;
        uint32_t quarter, half;
    } cases[] = {{EnvelopeShape::Linear, 16384, 32768},
                 {EnvelopeShape::Squared, 4096, 16384},
                 {EnvelopeShape::InverseSquared, 28672, 49152},
                 {EnvelopeShape::Curved, 10240, 32768}};
    for (const auto& c : cases) {
        EXPECT_EQ(shapedFraction(c.shape, 0, 100), 0u);
        EXPECT_EQ(shapedFraction(c.shape, 25, 100), c.quarter);
        EXPECT_EQ(shapedFraction(c.shape, 50, 100), c.half);
        EXPECT_EQ(shapedFraction(c.shape, 100, 100), 65536u);
        EXPECT_EQ(shapedFraction(c.shape, 7, 0), 65536u) << "a segment of no time is at its end";
    }
}

TEST(VoiceEnvelope, RecordFieldsAndMultipliers)
{
    Record b{};
    b[0] = 0x08 | 0x20;        // row A levels *10, times *10
    b[1] = 0x80 | 0x10 | 0x40; // release part, row B levels *100, times *100
    b[2] = 0xE4;               // row A shapes 0, 1, 2, 3
    b[3] = 0x55;               // ignored
    b[4] = 0x1B;               // row B shapes 3, 2, 1, 0
    b[5] = 0xC0;               // level sensitivity -64
    b[6] = 0x20;
    b[7] = 0xFB; // start level -5 (*10)
    b[8] = 10;
    b[11] = 0xF6; // -10
    b[12] = 1;
    b[16] = 3;
    b[23] = 2;
    EnvelopeRecord r = parseEnvelopeRecord(b.data());
    EXPECT_TRUE(r.present);
    EXPECT_TRUE(r.hasRelease);
    EXPECT_EQ(r.levelSensitivity, -64);
    EXPECT_EQ(r.timeSensitivity, 32);
    EXPECT_EQ(r.startLevel, -50);
    EXPECT_EQ(r.rows[0].level[0], 100);
    EXPECT_EQ(r.rows[0].level[3], -100);
    EXPECT_EQ(r.rows[1].level[0], 100);
    EXPECT_EQ(r.rows[0].time[0], 30u);
    EXPECT_EQ(r.rows[1].time[3], 200u);
    const EnvelopeShape a[] = {EnvelopeShape::Linear, EnvelopeShape::Squared, EnvelopeShape::InverseSquared,
                               EnvelopeShape::Curved};
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(r.rows[0].shape[i], a[i]) << i;
        EXPECT_EQ(r.rows[1].shape[i], a[3 - i]) << i;
    }
    b[1] = 0;
    EXPECT_FALSE(parseEnvelopeRecord(b.data()).hasRelease);
}

// An attack to 1.00 in 100 ms, a decay to 0.50 in 100 ms, held; release to
// 0 in 200 ms.
Record attackDecayRelease()
{
    Record b{};
    b[1] = 0x80;
    b[8] = 100;
    b[9] = 50;
    b[10] = 50;
    b[11] = 50;
    b[16] = 100;
    b[17] = 100;
    b[20] = 200;
    return b;
}

TEST(VoiceEnvelope, CurvePassesThroughTheLevelsAtTheirTimes)
{
    EnvelopeRecord r = parseEnvelopeRecord(attackDecayRelease().data());
    EnvelopeState s;
    startEnvelope(s, r, true, 127, 100);
    const struct {
        uint32_t step;
        int32_t value;
        EnvelopePhase phase;
    } walk[] = {{0, 0, EnvelopePhase::KeyOn},   {50, 50, EnvelopePhase::KeyOn}, {50, 100, EnvelopePhase::KeyOn},
                {50, 75, EnvelopePhase::KeyOn}, {50, 50, EnvelopePhase::Hold},  {1000, 50, EnvelopePhase::Hold}};
    uint32_t at = 0;
    for (const auto& w : walk) {
        stepEnvelope(s, w.step);
        at += w.step;
        EXPECT_EQ(s.value, w.value) << "at " << at << " ms";
        EXPECT_EQ(s.phase, w.phase) << "at " << at << " ms";
    }
    releaseEnvelope(s);
    stepEnvelope(s, 100);
    EXPECT_EQ(s.value, 25);
    stepEnvelope(s, 100);
    EXPECT_EQ(s.value, 0);
    EXPECT_TRUE(isEnvelopeDone(s));
}

TEST(VoiceEnvelope, VelocityScalesLevelsAndTimes)
{
    Record b = attackDecayRelease();
    b[5] = 127; // level: velocity 63 is index 0, a sixteenth
    b[6] = 127; // times too
    EnvelopeRecord r = parseEnvelopeRecord(b.data());
    EnvelopeState s;
    startEnvelope(s, r, true, 63, 100);
    stepEnvelope(s, 6); // the 100 ms attack lasts 6 ms at a sixteenth
    EXPECT_EQ(s.value, 6) << "1.00 / 16";
    EXPECT_EQ(s.phase, EnvelopePhase::KeyOn);
}

TEST(VoiceEnvelope, AbsentOrDisabledRecordsChangeNothing)
{
    EnvelopeRecord none{};
    EnvelopeRecord given = parseEnvelopeRecord(attackDecayRelease().data());
    const struct {
        const EnvelopeRecord* record;
        bool enabled;
    } cases[] = {{&none, true}, {&given, false}};
    for (const auto& c : cases) {
        EnvelopeState s;
        startEnvelope(s, *c.record, c.enabled, 100, 100);
        stepEnvelope(s, 500);
        releaseEnvelope(s);
        stepEnvelope(s, 500);
        EXPECT_EQ(s.phase, EnvelopePhase::Off);
        EXPECT_EQ(s.value, 100);
    }
}

TEST(VoiceEnvelope, ForcedReleaseFallsToSilence)
{
    const struct {
        uint32_t time, step;
        int32_t value;
        bool done;
    } cases[] = {{100, 50, 50, false}, {100, 100, 0, true}, {0, 0, 0, true}, {400, 100, 75, false}};
    for (const auto& c : cases) {
        EnvelopeState s;
        startEnvelope(s, EnvelopeRecord{}, false, 127, 100);
        forceRelease(s, c.time);
        stepEnvelope(s, c.step);
        EXPECT_EQ(s.value, c.value) << c.time << "/" << c.step;
        EXPECT_EQ(isEnvelopeDone(s), c.done) << c.time << "/" << c.step;
    }
}

} // namespace
