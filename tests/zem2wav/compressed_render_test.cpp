// zem2wav's compressed renders decoded back by ffmpeg against the WAVE render
// of the same score: FLAC sample for sample, the lossy formats by
// correlation once aligned; the score's title and notice as tags; the same
// bytes on every run; and a render brought to a chosen loudness.
#include "run_program.h"
#include "shell_command.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <regex>
#include <vector>

namespace {

using zem2wav_test::shell;
using zem_test::runProgram;
using zem_test::TempDir;

constexpr const char* kScore = "?3\"Lantern Test\"\n?2\"Notice of the test\"\n"
                               "#0 T140 @1 v100 l8 o4 c d e f g a b > c4 < g4 e4 c2\n"
                               "#1 :1 @33 v110 o2 l4 c g c g c2\n";

// The file decoded by ffmpeg to 44100 Hz 16-bit stereo samples.
std::vector<int16_t> decoded(const TempDir& dir, const std::string& name)
{
    const std::string raw = name + ".raw";
    const auto [status, out] =
        shell("ffmpeg -v error -y -i '" + dir.file(name) + "' -f s16le -ar 44100 -ac 2 '" + dir.file(raw) + "'");
    EXPECT_EQ(status, 0) << out;
    const std::string bytes = dir.read(raw);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return samples;
}

// Correlation of the left channels of a and of b shifted by `shift` frames,
// over `frames` frames from `from` (all of the overlap when 0).
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, long shift, long from, long frames)
{
    const long n = static_cast<long>(std::min(a.size(), b.size()) / 2);
    const long end = frames > 0 ? std::min(n, from + frames) : n;
    double ab = 0, aa = 0, bb = 0;
    for (long i = std::max(from, -shift); i < end && i + shift < n; ++i) {
        const double x = a[size_t(2 * i)], y = b[size_t(2 * (i + shift))];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The correlation of the whole render once b is aligned with a: encoders
// add delay and padding of up to maxShift frames.  The shift is the one
// that matches the first second best.
double alignedCorrelation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, long maxShift)
{
    long bestShift = 0;
    double best = -1;
    for (long shift = -maxShift; shift <= maxShift; ++shift) {
        const double r = correlation(a, b, shift, maxShift, 44100);
        if (r > best) best = r, bestShift = shift;
    }
    return correlation(a, b, bestShift, 0, 0);
}

std::string tags(const TempDir& dir, const std::string& name)
{
    return shell("ffprobe -v error -show_entries format_tags:stream_tags -of default=nw=1 '" + dir.file(name) + "'")
        .second;
}

struct FormatCase {
    const char* output;
    bool lossless;
};

TEST(CompressedRender, DecodedBackItMatchesTheWaveRender)
{
    const TempDir dir;
    dir.write("song.kvt", kScore);
    ASSERT_EQ(runProgram("zem2wav", {"-L1", "song.kvt"}, dir.path()).status, 0);
    const std::vector<int16_t> wave = decoded(dir, "song.WAV");
    ASSERT_GT(wave.size(), 44100u * 2 * 3);

    const FormatCase cases[] = {{"song.flac", true}, {"song.ogg", false}, {"song.opus", false}, {"song.mp3", false}};
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.output);
        const auto rendered = runProgram("zem2wav", {"-L1", "-o", c.output, "song.kvt"}, dir.path());
        ASSERT_EQ(rendered.status, 0) << rendered.err;
        EXPECT_NE(rendered.out.find(dir.file(c.output) + ": "), std::string::npos) << rendered.out;
        const std::vector<int16_t> back = decoded(dir, c.output);
        if (c.lossless) {
            EXPECT_TRUE(back == wave) << "FLAC samples differ from the WAVE render";
        } else {
            // Lengths agree to within the encoders' frames of padding.
            EXPECT_LT(std::abs(long(back.size()) - long(wave.size())), 2 * 4096L);
            const double r = alignedCorrelation(wave, back, 2048);
            EXPECT_GE(r, 0.99);
            std::printf("%s: correlation %.4f\n", c.output, r);
        }
        const std::string found = tags(dir, c.output);
        EXPECT_TRUE(std::regex_search(found, std::regex("(title|TITLE)=Lantern Test"))) << found;
        EXPECT_TRUE(std::regex_search(found, std::regex("(comment|COMMENT)=Notice of the test"))) << found;

        // A second render of the same score gives the same bytes.
        const std::string first = dir.read(c.output);
        std::remove(dir.file(c.output).c_str());
        ASSERT_EQ(runProgram("zem2wav", {"-L1", "-o", c.output, "song.kvt"}, dir.path()).status, 0);
        EXPECT_TRUE(dir.read(c.output) == first) << "a second render gave other bytes";
    }
}

TEST(CompressedRender, WaveByAnyNameIsTheDefaultRender)
{
    const TempDir dir;
    dir.write("song.kvt", kScore);
    ASSERT_EQ(runProgram("zem2wav", {"-L1", "song.kvt"}, dir.path()).status, 0);
    ASSERT_EQ(runProgram("zem2wav", {"-L1", "-o", "other.wav", "song.kvt"}, dir.path()).status, 0);
    EXPECT_TRUE(dir.read("other.wav") == dir.read("song.WAV"));
}

// "PATH: -23.4 LUFS, true peak -3.2 dBTP[, gain +9.1 dB]".
struct Measured {
    double lufs = NAN, peak = NAN, gain = 0;
};
Measured measuredLine(const std::string& out)
{
    std::smatch m;
    Measured r;
    if (std::regex_search(out, m,
                          std::regex(R"(: (-?[0-9.]+) LUFS, true peak (-?[0-9.]+) dBTP(, gain ([-+][0-9.]+) dB)?)"))) {
        r.lufs = std::stod(m[1]);
        r.peak = std::stod(m[2]);
        if (m[4].matched) r.gain = std::stod(m[4]);
    }
    return r;
}

TEST(CompressedRender, LoudnessIsReportedAndReachedWithinTheTruePeakLimit)
{
    const TempDir dir;
    dir.write("song.kvt", kScore);
    const auto plain = runProgram("zem2wav", {"-L1", "song.kvt"}, dir.path());
    ASSERT_EQ(plain.status, 0);
    const Measured before = measuredLine(plain.out);
    ASSERT_FALSE(std::isnan(before.lufs)) << plain.out;

    struct TargetCase {
        double target;
        bool peakLimited; // the true peak, not the loudness, sets the gain
    };
    const TargetCase cases[] = {{before.lufs - 6, false}, {-16, false}, {-3, true}};
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.target);
        const auto scaled = runProgram(
            "zem2wav", {"-L1", "--loudness", std::to_string(c.target), "-o", "loud.flac", "song.kvt"}, dir.path());
        ASSERT_EQ(scaled.status, 0) << scaled.err;
        const Measured after = measuredLine(scaled.out);
        EXPECT_LE(after.peak, -1.0 + 0.05) << scaled.out;
        if (c.peakLimited)
            EXPECT_LT(after.lufs, c.target - 1) << scaled.out;
        else
            EXPECT_NEAR(after.lufs, c.target, 0.2) << scaled.out;
        EXPECT_NEAR(after.gain, after.lufs - before.lufs, 0.2) << scaled.out;
        std::remove(dir.file("loud.flac").c_str());
    }
}

} // namespace
