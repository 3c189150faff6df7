// The pieces of zem2wav's output: the format a name chooses, the Ogg page
// serials made fixed, the -o and --loudness switches, and the loudness gain.
#include "zem2wav/loudness.h"
#include "zem2wav/ogg_pages.h"
#include "zem2wav/output_format.h"
#include "zem2wav/render_switches.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using zem2wav::OutputFormat;

TEST(Zem2wavOutput, FormatByTheNamesEnding)
{
    const struct {
        const char* name;
        OutputFormat format;
    } cases[] = {
        {"song.flac", OutputFormat::Flac},     {"/a/b/SONG.FLAC", OutputFormat::Flac},
        {"song.ogg", OutputFormat::OggVorbis}, {"song.oga", OutputFormat::OggVorbis},
        {"song.Opus", OutputFormat::Opus},     {"song.mp3", OutputFormat::Mp3},
        {"song.WAV", OutputFormat::Wave},      {"song", OutputFormat::Wave},
        {"dir.flac/song", OutputFormat::Wave}, {"song.flac.wav", OutputFormat::Wave},
        {"song.mp3x", OutputFormat::Wave},
    };
    for (const auto& c : cases) EXPECT_EQ(zem2wav::outputFormatOf(c.name), c.format) << c.name;
}

// One Ogg page: header, segment table of `segments` lacing values, body.
std::vector<uint8_t> oggPage(uint32_t serial, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> page = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) page.push_back(uint8_t(serial >> (8 * i)));
    page.insert(page.end(), {0, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD, 1, uint8_t(body.size())});
    page.insert(page.end(), body.begin(), body.end());
    return page;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(Zem2wavOutput, OggCrcIsTheUnreflectedCrc32)
{
    // CRC-32/POSIX of "123456789" is 765E7680; Ogg's is the same CRC before
    // the final inversion.
    const char text[] = "123456789";
    EXPECT_EQ(zem2wav::oggCrc(reinterpret_cast<const uint8_t*>(text), 9), 0x89A1897Fu);
}

TEST(Zem2wavOutput, EveryPageGetsTheSerialAndAMatchingCrc)
{
    std::vector<uint8_t> stream = oggPage(0x12345678, {1, 2, 3});
    const std::vector<uint8_t> second = oggPage(0x12345678, {4, 5});
    stream.insert(stream.end(), second.begin(), second.end());
    ASSERT_TRUE(zem2wav::setOggSerial(stream, 0x5A454D31));
    for (size_t at : {size_t{0}, oggPage(0, {1, 2, 3}).size()}) {
        EXPECT_EQ(le32(stream, at + 14), 0x5A454D31u);
        std::vector<uint8_t> page(stream.begin() + long(at), stream.begin() + long(at) + 28 + stream[at + 27]);
        const uint32_t stored = le32(page, 22);
        std::fill(page.begin() + 22, page.begin() + 26, 0);
        EXPECT_EQ(stored, zem2wav::oggCrc(page.data(), page.size()));
    }
}

TEST(Zem2wavOutput, BrokenOggStreamsAreRefused)
{
    const std::vector<uint8_t> whole = oggPage(7, {1, 2, 3});
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"cut in the body", {whole.begin(), whole.end() - 1}},
        {"cut in the header", {whole.begin(), whole.begin() + 20}},
        {"not a page", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = c.bytes;
        EXPECT_FALSE(zem2wav::setOggSerial(bytes, 1)) << c.name;
    }
}

TEST(Zem2wavOutput, RenderSwitchesAreTakenOutOfTheWords)
{
    const struct {
        std::vector<std::string> words;
        std::vector<std::string> rest;
        std::string output;
        double loudness; // NAN: none
        bool misuse;
    } cases[] = {
        {{"-L1", "song"}, {"-L1", "song"}, "", NAN, false},
        {{"-o", "out.flac", "-L1", "song"}, {"-L1", "song"}, "out.flac", NAN, false},
        {{"song", "--loudness", "-16"}, {"song"}, "", -16, false},
        {{"--loudness=-23.5", "song"}, {"song"}, "", -23.5, false},
        {{"-o", "x.ogg", "a", "b"}, {}, "", NAN, true},
        {{"-o"}, {}, "", NAN, true},
        {{"song", "--loudness"}, {}, "", NAN, true},
        {{"--loudness", "loud", "song"}, {}, "", NAN, true},
        {{"--loudness", "3", "song"}, {}, "", NAN, true},
        {{"--loudness=-71", "song"}, {}, "", NAN, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = c.words;
        zem2wav::RenderOptions options;
        const std::string misuse = zem2wav::takeRenderSwitches(words, options);
        SCOPED_TRACE(c.words.front());
        EXPECT_EQ(!misuse.empty(), c.misuse) << misuse;
        if (c.misuse) continue;
        EXPECT_EQ(words, c.rest);
        EXPECT_EQ(options.outputName, c.output);
        EXPECT_EQ(options.loudnessLufs.has_value(), !std::isnan(c.loudness));
        if (options.loudnessLufs) {
            EXPECT_DOUBLE_EQ(*options.loudnessLufs, c.loudness);
        }
    }
}

TEST(Zem2wavOutput, GainReachesTheTargetUnlessTheTruePeakPassesMinusOne)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        zem2wav::Loudness measured;
        double target;
        double gain;
    } cases[] = {
        {{-30, -13}, -16, 12},  // peak limited: -13 + 12 = -1 dBTP
        {{-30, -20}, -16, 14},  // loudness reached, peak -6 dBTP
        {{-10, -0.5}, -16, -6}, // quieter: always allowed
        {{-inf, -inf}, -16, 0}, // silence stays silence
        {{-20, -1}, -20, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(zem2wav::loudnessGainDb(c.measured, c.target), c.gain) << c.measured.integratedLufs;
}

TEST(Zem2wavOutput, GainRoundsAndStaysInRange)
{
    std::vector<int16_t> samples = {0, 1000, -1000, 30000, -30000, 3};
    zem2wav::applyGain(samples.data(), samples.size(), 20 * std::log10(2.0));
    EXPECT_EQ(samples, (std::vector<int16_t>{0, 2000, -2000, 32767, -32768, 6}));
    std::vector<int16_t> halved = {5, -5, 7};
    zem2wav::applyGain(halved.data(), halved.size(), 20 * std::log10(0.5));
    EXPECT_EQ(halved, (std::vector<int16_t>{2, -2, 4})); // to the nearest, ties to even
}

TEST(Zem2wavOutput, MeterMeasuresAFullScaleSine)
{
    // The meter's calibration: a 997 Hz sine at full scale on both channels
    // reads 0 LUFS and 0 dBTP.
    zem2wav::LoudnessMeter meter;
    std::vector<int16_t> sine(2 * 44100 * 3);
    for (size_t i = 0; i < sine.size() / 2; ++i)
        sine[2 * i] = sine[2 * i + 1] = int16_t(std::lround(32767 * std::sin(2 * M_PI * 997 * double(i) / 44100)));
    meter.add(sine.data(), sine.size() / 2);
    EXPECT_NEAR(meter.result().truePeakDbtp, 0.0, 0.1);
    EXPECT_NEAR(meter.result().integratedLufs, 0.0, 0.1);
}

} // namespace
