#include "adpcm_blocks.h"

#include <algorithm>
#include <array>

namespace qzwav {

namespace {

constexpr std::array<int, 16> kImaIndexStep = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr std::array<int, 89> kImaStep = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kImaMaxIndex = static_cast<int>(kImaStep.size()) - 1;

// The seven predictor pairs of Microsoft ADPCM, in 1/256.  Files carry
// them in their format too, but always these values; the table is used.
constexpr std::array<int, 7> kMsCoefficient1 = {256, 512, 0, 192, 240, 460, 392};
constexpr std::array<int, 7> kMsCoefficient2 = {0, -256, 0, 64, 0, -208, -232};
constexpr std::array<int, 16> kMsAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                               768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMsMinDelta = 16;
constexpr int kMsMaxDelta = 0x7FFFFFFF / 768; // keeps the next product in range

constexpr size_t kImaHeaderBytes = 4;   // per channel: predictor, index, reserved
constexpr size_t kImaGroupBytes = 4;    // per channel: eight samples
constexpr size_t kImaGroupFrames = 8;
constexpr size_t kMsHeaderBytes = 7;    // per channel: predictor, delta, two samples

int16_t clip16(int value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }

int16_t le16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }

struct ImaChannel {
    int predictor;
    int index;

    int16_t next(unsigned nibble)
    {
        const int step = kImaStep[static_cast<size_t>(index)];
        const int difference = (2 * static_cast<int>(nibble & 7) + 1) * step >> 3;
        predictor = clip16(nibble & 8 ? predictor - difference : predictor + difference);
        index = std::clamp(index + kImaIndexStep[nibble], 0, kImaMaxIndex);
        return static_cast<int16_t>(predictor);
    }
};

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
        state[c] = ImaChannel{le16(header), index};
        out[c] = static_cast<int16_t>(state[c].predictor);
    }
    const uint8_t* in = block + channels * kImaHeaderBytes;
    const size_t groups = (frames - 1) / kImaGroupFrames;
    for (size_t g = 0; g < groups; ++g) {
        int16_t* groupOut = out + (1 + g * kImaGroupFrames) * channels;
        for (unsigned c = 0; c < channels; ++c) {
            for (size_t k = 0; k < kImaGroupBytes; ++k) {
                const unsigned byte = *in++;
                groupOut[(2 * k) * channels + c] = state[c].next(byte & 0x0F);
                groupOut[(2 * k + 1) * channels + c] = state[c].next(byte >> 4);
            }
        }
    }
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
