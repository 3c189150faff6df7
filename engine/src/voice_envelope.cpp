#include "voice_envelope.h"

#include <algorithm>

namespace zemplay {

namespace {

constexpr uint8_t kLevelTimes10 = 1u << 3, kLevelTimes100 = 1u << 4;
constexpr uint8_t kTimeTimes10 = 1u << 5, kTimeTimes100 = 1u << 6;
constexpr uint8_t kHasRelease = 1u << 7;

constexpr int32_t levelScale(uint8_t flags)
{
    return ((flags & kLevelTimes10) ? 10 : 1) * ((flags & kLevelTimes100) ? 100 : 1);
}
constexpr uint32_t timeScale(uint8_t flags)
{
    return ((flags & kTimeTimes10) ? 10u : 1u) * ((flags & kTimeTimes100) ? 100u : 1u);
}

// 2^x for the factor table, by squaring down and a short series: exact
// enough for 16.16 values and usable in a constant expression.
constexpr double exp2Approx(double x)
{
    double halvings = 0;
    while (x > 0.125 || x < -0.125) {
        x /= 2;
        ++halvings;
    }
    constexpr double ln2 = 0.69314718055994530942;
    double y = x * ln2, term = 1, sum = 1;
    for (int k = 1; k < 12; ++k) {
        term *= y / k;
        sum += term;
    }
    for (double i = 0; i < halvings; ++i) sum *= sum;
    return sum;
}

constexpr std::array<uint32_t, 128> makeVelocityFactors()
{
    std::array<uint32_t, 128> t{};
    for (int i = 0; i < 128; ++i) {
        // Four octaves of factor on each side of 64: 1/16 at 0, 16 at 127.
        double octaves = i <= 64 ? 4.0 * (i - 64) / 64.0 : 4.0 * (i - 64) / 63.0;
        t[static_cast<size_t>(i)] = static_cast<uint32_t>(exp2Approx(octaves) * 65536.0 + 0.5);
    }
    return t;
}

int32_t scaleLevel(int32_t level, uint32_t factor) { return static_cast<int32_t>((int64_t{level} * factor) / 65536); }

uint32_t scaleTime(uint32_t time, uint32_t factor)
{
    uint64_t t = (uint64_t{time} * factor) >> 16;
    return static_cast<uint32_t>(std::min<uint64_t>(t, UINT32_MAX));
}

void beginRow(EnvelopeState& s, EnvelopePhase phase)
{
    s.phase = phase;
    s.segment = 0;
    s.elapsed = 0;
    s.from = s.value;
}

const EnvelopeRow& walkedRow(const EnvelopeState& s) { return s.rows[s.phase == EnvelopePhase::Release ? 1 : 0]; }

// Walks the segments of the present row, carrying leftover time into the
// next one.
void stepRow(EnvelopeState& s, uint32_t ms)
{
    const EnvelopeRow& row = walkedRow(s);
    uint64_t left = ms;
    while (s.segment < kEnvelopePoints) {
        uint32_t T = row.time[s.segment];
        int32_t goal = row.level[s.segment];
        uint64_t t = s.elapsed + left;
        if (t < T) {
            s.elapsed = static_cast<uint32_t>(t);
            s.value = s.from + static_cast<int32_t>(int64_t{goal - s.from} *
                                                    shapedFraction(row.shape[s.segment], s.elapsed, T) / 65536);
            return;
        }
        left = t - T;
        s.value = s.from = goal;
        s.elapsed = 0;
        ++s.segment;
    }
    s.phase = s.phase == EnvelopePhase::KeyOn ? EnvelopePhase::Hold : EnvelopePhase::Done;
}

} // namespace

const std::array<uint32_t, 128> kVelocityFactor = makeVelocityFactors();
static_assert(makeVelocityFactors()[64] == 65536);
static_assert(makeVelocityFactors()[0] == 4096);
static_assert(makeVelocityFactors()[127] == 1048576);

EnvelopeRecord parseEnvelopeRecord(const uint8_t* b)
{
    EnvelopeRecord r{};
    r.present = true;
    r.hasRelease = (b[1] & kHasRelease) != 0;
    r.levelSensitivity = static_cast<int8_t>(b[5]);
    r.timeSensitivity = static_cast<int8_t>(b[6]);
    r.startLevel = static_cast<int8_t>(b[7]) * levelScale(b[0]);
    for (unsigned row = 0; row < 2; ++row) {
        uint8_t flags = b[row];
        uint8_t shapes = b[row == 0 ? 2 : 4];
        EnvelopeRow& out = r.rows[row];
        for (unsigned i = 0; i < kEnvelopePoints; ++i) {
            out.level[i] = static_cast<int8_t>(b[8 + 4 * row + i]) * levelScale(flags);
            out.time[i] = b[16 + 4 * row + i] * timeScale(flags);
            out.shape[i] = static_cast<EnvelopeShape>((shapes >> (2 * i)) & 3);
        }
    }
    return r;
}

unsigned velocityFactorIndex(unsigned velocity, int sensitivity)
{
    int v = static_cast<int>(std::min(velocity, 127u));
    int index = 64 + (v - 127) * sensitivity / 127;
    return static_cast<unsigned>(std::clamp(index, 0, 127));
}

uint32_t shapedFraction(EnvelopeShape shape, uint32_t t, uint32_t T)
{
    if (T == 0 || t >= T) return 65536;
    uint64_t f = ((uint64_t{t} << 16) + T / 2) / T; // rounded, so that whole percentages come out whole
    switch (shape) {
    case EnvelopeShape::Linear: return static_cast<uint32_t>(f);
    case EnvelopeShape::Squared: return static_cast<uint32_t>((f * f) >> 16);
    case EnvelopeShape::InverseSquared: {
        uint64_t g = 65536 - f;
        return static_cast<uint32_t>(65536 - ((g * g) >> 16));
    }
    case EnvelopeShape::Curved: return static_cast<uint32_t>((f * f * (3 * 65536 - 2 * f)) >> 32);
    }
    return static_cast<uint32_t>(f);
}

void startEnvelope(EnvelopeState& s, const EnvelopeRecord& r, bool enabled, unsigned velocity, int32_t neutral)
{
    s = EnvelopeState{};
    s.value = neutral;
    if (!enabled || !r.present) {
        s.phase = EnvelopePhase::Off;
        return;
    }
    uint32_t levelFactor = kVelocityFactor[velocityFactorIndex(velocity, r.levelSensitivity)];
    uint32_t timeFactor = kVelocityFactor[velocityFactorIndex(velocity, r.timeSensitivity)];
    for (unsigned row = 0; row < 2; ++row) {
        s.rows[row] = r.rows[row];
        for (unsigned i = 0; i < kEnvelopePoints; ++i) {
            s.rows[row].level[i] = scaleLevel(r.rows[row].level[i], levelFactor);
            s.rows[row].time[i] = scaleTime(r.rows[row].time[i], timeFactor);
        }
    }
    s.value = scaleLevel(r.startLevel, levelFactor);
    beginRow(s, EnvelopePhase::KeyOn);
    stepRow(s, 0); // segments of no time take effect at once
}

void releaseEnvelope(EnvelopeState& s)
{
    if (s.phase != EnvelopePhase::KeyOn && s.phase != EnvelopePhase::Hold) return;
    beginRow(s, EnvelopePhase::Release);
    stepRow(s, 0);
}

void forceRelease(EnvelopeState& s, uint32_t ms)
{
    s.phase = EnvelopePhase::Forced;
    s.forcedTime = ms;
    s.elapsed = 0;
    s.from = s.value;
    stepEnvelope(s, 0);
}

void stepEnvelope(EnvelopeState& s, uint32_t ms)
{
    switch (s.phase) {
    case EnvelopePhase::KeyOn:
    case EnvelopePhase::Release: stepRow(s, ms); break;
    case EnvelopePhase::Forced: {
        uint64_t t = uint64_t{s.elapsed} + ms;
        if (t >= s.forcedTime) {
            s.value = 0;
            s.phase = EnvelopePhase::Done;
            break;
        }
        s.elapsed = static_cast<uint32_t>(t);
        s.value = s.from - static_cast<int32_t>(int64_t{s.from} * s.elapsed / s.forcedTime);
        break;
    }
    case EnvelopePhase::Off:
    case EnvelopePhase::Hold:
    case EnvelopePhase::Done: break;
    }
}

} // namespace zemplay
