#include "adpcm_blocks.h"

#include <algorithm>
#include <array>

namespace qzwav {

namespace {

constexpr std::array<int, 16> kImaIndexStep = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr std::array<int, 89> kImaStep = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kImaMaxIndex = static_cast<int>(kImaStep.size()) - 1;

// The seven predictor pairs of Microsoft ADPCM, in 1/256.  Files carry
// them in their format too, but always these values; the table is used.
constexpr std::array<int, 7> kMsCoefficient1 = {256, 512, 0, 192, 240, 460, 392};
constexpr std::array<int, 7> kMsCoefficient2 = {0, -256, 0, 64, 0, -208, -232};
constexpr std::array<int, 16> kMsAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                               768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMsMinDelta = 16;
constexpr int kMsMaxDelta = 0x7FFFFFFF / 768; // keeps the next product in range

constexpr size_t kImaHeaderBytes = 4; // per channel: predictor, index, reserved
constexpr size_t kImaGroupBytes = 4;  // per channel: eight samples
constexpr size_t kImaGroupFrames = 8;
constexpr size_t kMsHeaderBytes = 7; // per channel: predictor, delta, two samples

int16_t clip16(int value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }

int16_t le16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }

// Every (step index, nibble) pair precomputed: the signed difference and
// the next step index, so one lookup decides a sample.
struct ImaStepEntry {
    int32_t difference;
    uint8_t nextIndex;
};
using ImaStepTable = std::array<std::array<ImaStepEntry, 16>, kImaStep.size()>;

constexpr ImaStepTable makeImaStepTable()
{
    ImaStepTable table{};
    for (size_t index = 0; index < kImaStep.size(); ++index) {
        for (unsigned nibble = 0; nibble < 16; ++nibble) {
            const int magnitude = (2 * static_cast<int>(nibble & 7) + 1) * kImaStep[index] >> 3;
            const int next = static_cast<int>(index) + kImaIndexStep[nibble];
            table[index][nibble] = {nibble & 8 ? -magnitude : magnitude,
                                    static_cast<uint8_t>(next < 0              ? 0
                                                         : next > kImaMaxIndex ? kImaMaxIndex
                                                                               : next)};
        }
    }
    return table;
}

constexpr ImaStepTable kImaSteps = makeImaStepTable();

// The step index after a whole byte (low nibble, then high): the chain
// from byte to byte takes one lookup instead of two.
using ImaByteTable = std::array<std::array<uint8_t, 256>, kImaStep.size()>;

constexpr ImaByteTable makeImaByteTable()
{
    ImaByteTable table{};
    for (size_t index = 0; index < kImaStep.size(); ++index) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const unsigned middle = kImaSteps[index][byte & 0x0F].nextIndex;
            table[index][byte] = kImaSteps[middle][byte >> 4].nextIndex;
        }
    }
    return table;
}

constexpr ImaByteTable kImaByteIndex = makeImaByteTable();

struct ImaChannel {
    int predictor;
    unsigned index;

    // Low nibble first.
    void decodeByte(unsigned byte, int16_t& first, int16_t& second)
    {
        const ImaStepEntry& low = kImaSteps[index][byte & 0x0F];
        const ImaStepEntry& high = kImaSteps[low.nextIndex][byte >> 4];
        index = kImaByteIndex[index][byte];
        first = clip16(predictor + low.difference);
        second = clip16(first + high.difference);
        predictor = second;
    }
};

// Channels decode side by side, so their independent chains overlap.
template <unsigned Channels> void decodeImaGroups(ImaChannel* state, const uint8_t* in, size_t groups, int16_t* out)
{
    for (size_t g = 0; g < groups; ++g, in += kImaGroupBytes * Channels, out += kImaGroupFrames * Channels) {
        for (size_t k = 0; k < kImaGroupBytes; ++k) {
            for (unsigned c = 0; c < Channels; ++c) {
                state[c].decodeByte(in[c * kImaGroupBytes + k], out[(2 * k) * Channels + c],
                                    out[(2 * k + 1) * Channels + c]);
            }
        }
    }
}

size_t decodeIma(const AdpcmLayout& layout, const uint8_t* block, size_t frames, int16_t* out)
{
    const unsigned channels = layout.channels;
    ImaChannel state[2];
    for (unsigned c = 0; c < channels; ++c) {
        const uint8_t* header = block + c * kImaHeaderBytes;
        // Index and reserved byte read as one 16-bit value: a reserved byte
        // that is not zero makes the header invalid.
        const int index = le16(header + 2);
        if (index < 0 || index > kImaMaxIndex) return 0;
        state[c] = ImaChannel{le16(header), static_cast<unsigned>(index)};
        out[c] = static_cast<int16_t>(state[c].predictor);
    }
    const uint8_t* in = block + channels * kImaHeaderBytes;
    const size_t groups = (frames - 1) / kImaGroupFrames;
    if (channels == 2)
        decodeImaGroups<2>(state, in, groups, out + 2);
    else
        decodeImaGroups<1>(state, in, groups, out + 1);
    return frames;
}

struct MsChannel {
    int coefficient1;
    int coefficient2;
    int delta;
    int sample1;
    int sample2;

    int16_t next(unsigned nibble)
    {
        // Division, not a shift: the prediction rounds toward zero.
        int predicted = (sample1 * coefficient1 + sample2 * coefficient2) / 256;
        const int signedNibble = nibble & 8 ? static_cast<int>(nibble) - 16 : static_cast<int>(nibble);
        predicted += signedNibble * delta;
        sample2 = sample1;
        sample1 = clip16(predicted);
        delta = std::min(std::max(kMsAdaptation[nibble] * delta >> 8, kMsMinDelta), kMsMaxDelta);
        return static_cast<int16_t>(sample1);
    }
};

size_t decodeMs(const AdpcmLayout& layout, const uint8_t* block, size_t frames, int16_t* out)
{
    const unsigned channels = layout.channels;
    MsChannel state[2];
    for (unsigned c = 0; c < channels; ++c) {
        const unsigned predictor = block[c];
        if (predictor >= kMsCoefficient1.size()) return 0;
        state[c].coefficient1 = kMsCoefficient1[predictor];
        state[c].coefficient2 = kMsCoefficient2[predictor];
        state[c].delta = le16(block + channels + 2 * c);
        state[c].sample1 = le16(block + 3 * channels + 2 * c);
        state[c].sample2 = le16(block + 5 * channels + 2 * c);
    }
    for (unsigned c = 0; c < channels; ++c) {
        out[c] = static_cast<int16_t>(state[c].sample2);
        out[channels + c] = static_cast<int16_t>(state[c].sample1);
    }
    const uint8_t* in = block + channels * kMsHeaderBytes;
    int16_t* at = out + 2 * channels;
    // High nibble first; in stereo the high nibble is the left channel.
    const size_t bytes = (frames - 2) * channels / 2;
    for (size_t i = 0; i < bytes; ++i) {
        const unsigned byte = in[i];
        *at++ = state[0].next(byte >> 4);
        *at++ = state[channels - 1].next(byte & 0x0F);
    }
    return frames;
}

} // namespace

bool adpcmLayoutOf(uint16_t formatTag, uint16_t channels, uint16_t blockAlign, uint16_t bitsPerSample,
                   AdpcmLayout& layout)
{
    if (channels < 1 || channels > 2 || bitsPerSample != 4) return false;
    if (formatTag == kTagImaAdpcm)
        layout.kind = AdpcmKind::Ima;
    else if (formatTag == kTagMsAdpcm)
        layout.kind = AdpcmKind::Microsoft;
    else
        return false;
    layout.channels = channels;
    layout.blockAlign = blockAlign;
    return adpcmFramesIn(layout, blockAlign) > 0;
}

size_t adpcmFramesIn(const AdpcmLayout& layout, size_t bytes)
{
    bytes = std::min<size_t>(bytes, layout.blockAlign);
    const size_t channels = layout.channels;
    if (layout.kind == AdpcmKind::Ima) {
        if (bytes < kImaHeaderBytes * channels) return 0;
        return 1 + (bytes - kImaHeaderBytes * channels) / (kImaGroupBytes * channels) * kImaGroupFrames;
    }
    if (bytes < kMsHeaderBytes * channels) return 0;
    return 2 + (bytes - kMsHeaderBytes * channels) * 2 / channels;
}

size_t decodeAdpcmBlock(const AdpcmLayout& layout, const uint8_t* block, size_t bytes, int16_t* out)
{
    const size_t frames = adpcmFramesIn(layout, bytes);
    if (frames == 0) return 0;
    return layout.kind == AdpcmKind::Ima ? decodeIma(layout, block, frames, out) : decodeMs(layout, block, frames, out);
}

} // namespace qzwav
