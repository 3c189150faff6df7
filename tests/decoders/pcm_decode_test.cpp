// Uncompressed layouts decode to the 8-bit or 16-bit output by the sample
// formulas, whatever piece sizes the host asks for.
#include "memory_host.h"
#include "qzwav_module.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

Bytes noise(size_t count, uint32_t seed)
{
    Bytes b(count);
    for (auto& v : b) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<uint8_t>(seed >> 24);
    }
    return b;
}

// Three input frames whose bytes count 1, 2, 3, ... and the output they must
// give: for 8-bit output the input byte itself, for 16-bit output the top
// two bytes of each little-endian sample; output channel c comes from input
// channel c (mono input: channel 0).
struct PcmCase {
    const char* name;
    uint16_t channels;
    uint16_t bits;
    bool extensible;
    uint8_t outChannels;
    uint8_t outBytes;
    Bytes threeFrames;
};

const PcmCase kPcmCases[] = {
    {"8-bit mono", 1, 8, false, 1, 1, {0x01, 0x02, 0x03}},
    {"8-bit stereo", 2, 8, false, 2, 1, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}},
    {"8-bit three channels", 3, 8, false, 2, 1, {0x01, 0x02, 0x04, 0x05, 0x07, 0x08}},
    {"16-bit mono", 1, 16, false, 1, 2, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}},
    {"16-bit stereo", 2, 16, false, 2, 2, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C}},
    {"24-bit mono", 1, 24, false, 1, 2, {0x02, 0x03, 0x05, 0x06, 0x08, 0x09}},
    {"24-bit stereo", 2, 24, false, 2, 2, {0x02, 0x03, 0x05, 0x06, 0x08, 0x09, 0x0B, 0x0C, 0x0E, 0x0F, 0x11, 0x12}},
    {"32-bit stereo", 2, 32, false, 2, 2, {0x03, 0x04, 0x07, 0x08, 0x0B, 0x0C, 0x0F, 0x10, 0x13, 0x14, 0x17, 0x18}},
    {"16-bit six channels",
     6,
     16,
     false,
     2,
     2,
     {0x01, 0x02, 0x03, 0x04, 0x0D, 0x0E, 0x0F, 0x10, 0x19, 0x1A, 0x1B, 0x1C}},
    {"extensible 16-bit stereo",
     2,
     16,
     true,
     2,
     2,
     {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C}},
    {"extensible 24-bit six channels",
     6,
     24,
     true,
     2,
     2,
     {0x02, 0x03, 0x05, 0x06, 0x14, 0x15, 0x17, 0x18, 0x26, 0x27, 0x29, 0x2A}},
    {"extensible 32-bit mono", 1, 32, true, 1, 2, {0x03, 0x04, 0x07, 0x08, 0x0B, 0x0C}},
};

Bytes repeated(const Bytes& block, size_t times)
{
    Bytes out;
    for (size_t i = 0; i < times; ++i) out.insert(out.end(), block.begin(), block.end());
    return out;
}

Bytes waveOf(uint16_t tag, uint16_t channels, uint16_t bits, bool extensible, const Bytes& data)
{
    if (!extensible) return simpleWave(tag, channels, 22050, bits, data);
    return riffFile({{"fmt ", extensibleBody(tag, channels, 22050, bits)}, {"data", data}});
}

class PcmDecode : public testing::TestWithParam<PcmCase> {};

TEST_P(PcmDecode, OutputFollowsTheSampleFormulas)
{
    const PcmCase& c = GetParam();
    const size_t blocks = 6667; // 20001 frames: several 32 KiB pieces, none a whole number of blocks
    const size_t frames = 3 * blocks;
    Bytes block(3u * c.channels * c.bits / 8);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i + 1);
    Bytes data = repeated(block, blocks);
    MemoryHost host;
    uint8_t* handle = openBytes(host, waveOf(1, c.channels, c.bits, c.extensible, data));
    ASSERT_NE(handle, nullptr);
    dw_format f = dw_format_read(handle);
    EXPECT_EQ(f.channels, c.outChannels);
    EXPECT_EQ(f.sample_bytes, c.outBytes);
    EXPECT_EQ(f.flags, 31);
    EXPECT_EQ(f.version, 1);
    EXPECT_EQ(f.rate, 22050u);
    EXPECT_EQ(f.frames, frames);
    for (int i = DW_RECORD_RESERVED; i < DW_RECORD_SIZE; ++i) EXPECT_EQ(handle[i], 0) << "reserved byte " << i;

    EXPECT_EQ(decodeAll(host, handle), repeated(c.threeFrames, blocks));
    QzwavModule::get().close(host.table(), handle);
    EXPECT_EQ(host.liveBlocks(), 0u);
    EXPECT_EQ(host.openHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PcmDecode, testing::ValuesIn(kPcmCases),
                         [](const testing::TestParamInfo<PcmCase>& layout) {
                             std::string n = layout.param.name;
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST(PcmDecodePieces, AnyRequestSizeGivesTheSameWholeFrames)
{
    Bytes data = noise(3 * 7001, 7); // 24-bit mono: odd frame count, conversion path
    Bytes file = simpleWave(1, 1, 8000, 24, data);
    Bytes reference;
    for (size_t piece : {65536u, 32768u, 4097u, 3u, 2u}) {
        MemoryHost host;
        uint8_t* handle = openBytes(host, file);
        ASSERT_NE(handle, nullptr);
        Bytes out = decodeAll(host, handle, piece);
        QzwavModule::get().close(host.table(), handle);
        if (reference.empty()) reference = out;
        EXPECT_EQ(out.size(), 7001u * 2) << "piece " << piece;
        EXPECT_EQ(out, reference) << "piece " << piece;
    }
}

TEST(PcmDecodePieces, LengthBelowOneFrameDeliversNothing)
{
    MemoryHost host;
    uint8_t* handle = openBytes(host, simpleWave(1, 2, 8000, 16, noise(400, 3)));
    ASSERT_NE(handle, nullptr);
    uint8_t buffer[8];
    const QzwavModule& m = QzwavModule::get();
    EXPECT_EQ(m.decode(host.table(), handle, buffer, 3), 0u);
    EXPECT_EQ(m.decode(host.table(), handle, nullptr, 8), 0u);
    EXPECT_EQ(m.decode(host.table(), handle, buffer, 0), 0u);
    EXPECT_EQ(m.decode(host.table(), handle, buffer, 7), 4u);
    m.close(host.table(), handle);
}

struct FloatCase {
    const char* name;
    uint16_t bits;
    uint16_t channels;
    bool extensible;
};

const FloatCase kFloatCases[] = {
    {"float32_stereo", 32, 2, false},
    {"float64_mono", 64, 1, false},
    {"float32_six_channels", 32, 6, false},
    {"float64_stereo_extensible", 64, 2, true},
};

// Input value and the 16-bit sample it must become.
struct FloatSample {
    double in;
    int16_t out;
};

const FloatSample kFloatSamples[] = {
    {0.0, 0},
    {1.0, 32767},
    {-1.0, -32768},
    {0.5, 16383},
    {-0.5, -16384},
    {0.25, 8191},
    {-0.000001, 0},
    {0.999, 32734},
    {1.5, 32767},
    {-7.0, -32768},
    {std::numeric_limits<double>::quiet_NaN(), 0},
    {-0.7, -22937},
    {0.1, 3276},
};

class FloatDecode : public testing::TestWithParam<FloatCase> {};

TEST_P(FloatDecode, SamplesScaleAndTruncate)
{
    const FloatCase& c = GetParam();
    const size_t count = std::size(kFloatSamples);
    Bytes data;
    Bytes expected;
    // Channel k of frame i holds sample (i + k) of the table.
    const size_t frames = count;
    const unsigned outChannels = c.channels > 1 ? 2 : 1;
    for (size_t i = 0; i < frames; ++i) {
        for (unsigned k = 0; k < c.channels; ++k) {
            double v = kFloatSamples[(i + k) % count].in;
            if (c.bits == 32)
                putLe32(data, std::bit_cast<uint32_t>(static_cast<float>(v)));
            else
                putLe64(data, std::bit_cast<uint64_t>(v));
            if (k < outChannels) putLe16(expected, static_cast<uint16_t>(kFloatSamples[(i + k) % count].out));
        }
    }
    MemoryHost host;
    uint8_t* handle = openBytes(host, waveOf(3, c.channels, c.bits, c.extensible, data));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle[DW_RECORD_CHANNELS], outChannels);
    EXPECT_EQ(handle[DW_RECORD_SAMPLE_BYTES], 2);
    EXPECT_EQ(dw_get_le32(handle + DW_RECORD_FRAMES), frames);
    EXPECT_EQ(decodeAll(host, handle), expected);
    QzwavModule::get().close(host.table(), handle);
    EXPECT_EQ(host.liveBlocks(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, FloatDecode, testing::ValuesIn(kFloatCases),
                         [](const testing::TestParamInfo<FloatCase>& layout) {
                             return std::string(layout.param.name);
                         });

} // namespace
