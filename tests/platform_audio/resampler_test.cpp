// The mixer's resampler on its own: how clean a converted tone is, how far
// a tone the output cannot hold is held down, and that the way input and
// output are cut into pieces, or a restart from history, changes nothing.
#include "resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using platform::audio::Resampler;

constexpr double kAmplitude = 0.5;

// Interleaved frames of a sine, the same on every channel.
std::vector<float> tone(uint32_t frames, uint32_t channels, double hertz, uint32_t rate)
{
    std::vector<float> out(std::size_t{frames} * channels);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c)
            out[std::size_t{i} * channels + c] =
                static_cast<float>(kAmplitude * std::sin(2 * std::numbers::pi * hertz * i / rate));
    return out;
}

// Feeds input in pieces of inPiece frames, asking for outPiece frames at a
// time, until the input is used up.
std::vector<float> convert(Resampler& resampler, const std::vector<float>& input, uint32_t channels, uint32_t inPiece,
                           uint32_t outPiece)
{
    std::vector<float> out;
    std::vector<float> piece(std::size_t{outPiece} * channels);
    const auto frames = static_cast<uint32_t>(input.size() / channels);
    uint32_t at = 0;
    for (;;) {
        uint32_t in = std::min(inPiece, frames - at);
        uint32_t made = outPiece;
        resampler.process(input.data() + std::size_t{at} * channels, in, piece.data(), made);
        out.insert(out.end(), piece.begin(), piece.begin() + std::ptrdiff_t{made} * channels);
        at += in;
        if (in == 0 && made == 0) return out;
    }
}

std::vector<float> convertWhole(const std::vector<float>& input, uint32_t channels, uint32_t inputRate,
                                uint32_t outputRate)
{
    Resampler resampler(channels);
    resampler.setRates(inputRate, outputRate);
    return convert(resampler, input, channels, 1u << 20, 1u << 20);
}

// Output frame n stands at input time n * inputRate / outputRate, so the
// ideal output is the same tone sampled at the output rate, give or take
// the filter's gain at that frequency (a few millionths off one).
TEST(Resampler, ToneComesOutClean)
{
    struct Row {
        uint32_t inputRate;
        uint32_t outputRate;
        uint32_t channels;
        double hertz;
        double minimumDb;
    };
    const Row rows[] = {
        {22050, 44100, 1, 1000, 90},  {48000, 46731, 2, 1000, 90}, {46731, 44100, 1, 1000, 90},
        {44100, 44100, 2, 1000, 90},  {11025, 44100, 1, 440, 90},  {100000, 11025, 1, 1000, 90},
        {44100, 47999, 2, 12000, 70}, // high in the pass band
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.inputRate << " to " << r.outputRate << ", " << r.hertz << " Hz");
        const std::vector<float> out =
            convertWhole(tone(r.inputRate, r.channels, r.hertz, r.inputRate), r.channels, r.inputRate, r.outputRate);
        ASSERT_GT(out.size(), std::size_t{r.outputRate} * r.channels * 9 / 10);
        // The first frames see the silence before the tone.
        const std::size_t from = std::size_t{100} * r.channels;
        std::vector<double> ideal(out.size());
        double idealPower = 0;
        double product = 0;
        for (std::size_t n = from; n < out.size(); ++n) {
            ideal[n] = kAmplitude * std::sin(2 * std::numbers::pi * r.hertz * double(n / r.channels) / r.outputRate);
            idealPower += ideal[n] * ideal[n];
            product += ideal[n] * out[n];
        }
        const double gain = product / idealPower;
        EXPECT_NEAR(gain, 1, 0.001);
        double error = 0;
        for (std::size_t n = from; n < out.size(); ++n)
            error += (out[n] - gain * ideal[n]) * (out[n] - gain * ideal[n]);
        EXPECT_GE(10 * std::log10(gain * gain * idealPower / error), r.minimumDb);
    }
}

// A tone above the output's Nyquist frequency must vanish, not fold back.
TEST(Resampler, ToneAboveOutputNyquistIsHeldDown)
{
    struct Row {
        uint32_t inputRate;
        uint32_t outputRate;
        double hertz;
    };
    const Row rows[] = {{48000, 22050, 15000}, {48000, 46731, 23800}, {88200, 44100, 30000}, {96000, 44100, 25000}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.inputRate << " to " << r.outputRate << ", " << r.hertz << " Hz");
        const std::vector<float> out =
            convertWhole(tone(r.inputRate / 4, 1, r.hertz, r.inputRate), 1, r.inputRate, r.outputRate);
        double power = 0;
        for (std::size_t n = 200; n < out.size(); ++n) power += double(out[n]) * out[n];
        power /= double(out.size() - 200);
        EXPECT_LE(10 * std::log10(power / (kAmplitude * kAmplitude / 2)), -85);
    }
}

// However input and output are cut, the samples are the same.
TEST(Resampler, PiecesDoNotChangeTheOutput)
{
    struct Row {
        uint32_t inputRate;
        uint32_t outputRate;
        uint32_t channels;
        uint32_t inPiece;
        uint32_t outPiece;
    };
    const Row rows[] = {
        {48000, 46731, 2, 256, 256}, {48000, 46731, 2, 1, 7},    {22050, 44100, 1, 97, 1},
        {96000, 11025, 1, 256, 256}, {100000, 8000, 2, 33, 300}, {44100, 44100, 1, 5000, 64},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.inputRate << " to " << r.outputRate << " in " << r.inPiece << " / "
                                        << r.outPiece);
        // Long enough for the held input to be moved to the front many times.
        const std::vector<float> input = tone(30000, r.channels, 997, r.inputRate);
        const std::vector<float> whole = convertWhole(input, r.channels, r.inputRate, r.outputRate);
        Resampler resampler(r.channels);
        resampler.setRates(r.inputRate, r.outputRate);
        const std::vector<float> pieces = convert(resampler, input, r.channels, r.inPiece, r.outPiece);
        EXPECT_EQ(pieces, whole);
    }
}

// Restarting with the frames before a point continues exactly as the
// conversion that ran through them, from the output that stands at it.
TEST(Resampler, RestartFromHistoryContinuesUnbroken)
{
    struct Row {
        uint32_t inputRate;
        uint32_t outputRate;
        uint32_t from;      // the input frame the restart begins at
        uint32_t fromFrame; // the output frame that stands at it
    };
    const Row rows[] = {{22050, 44100, 1000, 2000}, {44100, 44100, 777, 777}, {88200, 44100, 4000, 2000}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.inputRate << " to " << r.outputRate);
        const std::vector<float> input = tone(8000, 2, 1234, r.inputRate);
        const std::vector<float> whole = convertWhole(input, 2, r.inputRate, r.outputRate);
        Resampler resampler(2);
        resampler.setRates(r.inputRate, r.outputRate);
        const uint32_t history = resampler.historyFrames();
        ASSERT_LE(history, r.from);
        resampler.restartAfter(input.data() + std::size_t{r.from - history} * 2, history);
        const std::vector<float> rest(input.begin() + std::ptrdiff_t{r.from} * 2, input.end());
        const std::vector<float> after = convert(resampler, rest, 2, 256, 256);
        ASSERT_EQ(whole.size(), std::size_t{r.fromFrame} * 2 + after.size());
        EXPECT_TRUE(std::equal(after.begin(), after.end(), whole.begin() + std::ptrdiff_t{r.fromFrame} * 2));
    }
}

} // namespace
