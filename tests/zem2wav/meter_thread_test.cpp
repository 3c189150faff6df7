// The meter on its own thread measures exactly what the meter measures in
// place, however the sound arrives.
#include "zem2wav/meter_thread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

// A tone that swells, different on the two sides.
std::vector<int16_t> swell(size_t frames)
{
    std::vector<int16_t> out(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        const double level = 20000.0 * double(i) / double(frames);
        out[2 * i] = static_cast<int16_t>(level * std::sin(2 * std::numbers::pi * 440 * double(i) / 44100));
        out[2 * i + 1] = static_cast<int16_t>(level * std::sin(2 * std::numbers::pi * 1234 * double(i) / 44100));
    }
    return out;
}

TEST(MeterThread, MeasuresWhatTheMeterMeasures)
{
    struct Row {
        const char* name;
        size_t frames;
        std::vector<size_t> pieces; // repeated until the sound is used up
    };
    const Row rows[] = {
        {"nothing", 0, {1}},
        {"one piece", 44100 * 3, {44100 * 3}},
        {"small and uneven pieces", 44100 * 2, {1, 0, 37, 4096, 44}},
        {"more than may wait at once", 44100 * 20, {44100 * 8}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::vector<int16_t> sound = swell(r.frames);
        zem2wav::LoudnessMeter direct;
        direct.add(sound.data(), r.frames);
        const zem2wav::Loudness expected = direct.result();

        zem2wav::MeterThread threaded;
        for (size_t at = 0, i = 0; at < r.frames; ++i) {
            const size_t n = std::min(r.pieces[i % r.pieces.size()], r.frames - at);
            threaded.add(sound.data() + 2 * at, n);
            at += n;
        }
        const zem2wav::Loudness got = threaded.result();
        EXPECT_EQ(got.integratedLufs, expected.integratedLufs);
        EXPECT_EQ(got.truePeakDbtp, expected.truePeakDbtp);
        if (r.frames > 0) {
            EXPECT_GT(got.integratedLufs, -40) << "the sound was measured";
        }
    }
}

} // namespace
