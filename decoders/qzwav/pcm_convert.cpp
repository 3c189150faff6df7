#include "pcm_convert.h"

#include "qzdecoder.h"

#include <bit>
#include <cmath>

namespace qzwav {

namespace {

// A sample of Bytes bytes widened to the top of a 32-bit value.
template <unsigned Bytes> int32_t widen(const uint8_t* p)
{
    if constexpr (Bytes == 1)
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] - 128) << 24);
    else if constexpr (Bytes == 2)
        return static_cast<int32_t>(uint32_t{dw_get_le16(p)} << 16);
    else if constexpr (Bytes == 3)
        return static_cast<int32_t>((uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16) << 8);
    else
        return static_cast<int32_t>(dw_get_le32(p));
}

template <unsigned Bytes> size_t convertFrames(const uint8_t* in, size_t frames, const InputLayout& input,
                                               const OutputLayout& output, uint8_t* out)
{
    const unsigned rightOffset = input.channels > 1 ? Bytes : 0;
    uint8_t* o = out;
    for (size_t i = 0; i < frames; ++i, in += input.blockAlign) {
        int32_t left = widen<Bytes>(in);
        int32_t right = widen<Bytes>(in + rightOffset);
        if (output.bits == 8) {
            if (output.channels == 1) {
                *o++ = static_cast<uint8_t>(((left >> 24) + (right >> 24) + 256) / 2);
            } else {
                *o++ = static_cast<uint8_t>((left >> 24) + 128);
                *o++ = static_cast<uint8_t>((right >> 24) + 128);
            }
        } else if (output.channels == 1) {
            dw_put_le16(o, static_cast<uint16_t>(((left >> 16) + (right >> 16)) >> 1));
            o += 2;
        } else {
            dw_put_le16(o, static_cast<uint16_t>(left >> 16));
            dw_put_le16(o + 2, static_cast<uint16_t>(right >> 16));
            o += 4;
        }
    }
    return static_cast<size_t>(o - out);
}

int16_t floatToSample(double x)
{
    if (std::isnan(x)) return 0;
    double scaled = std::trunc(x * (x >= 0 ? 32767.0 : 32768.0));
    if (scaled >= 32767.0) return 32767;
    if (scaled <= -32768.0) return -32768;
    return static_cast<int16_t>(scaled);
}

double readFloat(const uint8_t* p, unsigned bytes)
{
    if (bytes == 4) return std::bit_cast<float>(dw_get_le32(p));
    return std::bit_cast<double>(uint64_t{dw_get_le32(p)} | uint64_t{dw_get_le32(p + 4)} << 32);
}

} // namespace

size_t convertPcm(const uint8_t* in, size_t frames, const InputLayout& input, const OutputLayout& output, uint8_t* out)
{
    switch (input.sampleBytes) {
    case 1: return convertFrames<1>(in, frames, input, output, out);
    case 2: return convertFrames<2>(in, frames, input, output, out);
    case 3: return convertFrames<3>(in, frames, input, output, out);
    case 4: return convertFrames<4>(in, frames, input, output, out);
    default: return 0;
    }
}

size_t convertFloat(const uint8_t* in, size_t frames, const InputLayout& input, const OutputLayout& output,
                    uint8_t* out)
{
    uint8_t* o = out;
    for (size_t i = 0; i < frames; ++i, in += input.blockAlign) {
        for (unsigned c = 0; c < output.channels; ++c) {
            dw_put_le16(o,
                        static_cast<uint16_t>(floatToSample(readFloat(in + c * input.sampleBytes, input.sampleBytes))));
            o += 2;
        }
    }
    return static_cast<size_t>(o - out);
}

} // namespace qzwav
