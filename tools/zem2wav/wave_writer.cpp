#include "wave_writer.h"

#include "platform/midi_synth.h"
#include "util/uerr.h"

#include <cstring>

namespace zem2wav {

namespace {

constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBitsPerSample = 16;

void putLe16(uint8_t* at, uint16_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void putLe32(uint8_t* at, uint32_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
    at[2] = uint8_t(v >> 16);
    at[3] = uint8_t(v >> 24);
}

} // namespace

std::array<uint8_t, kWaveHeaderBytes> waveHeader(uint32_t dataBytes)
{
    std::array<uint8_t, kWaveHeaderBytes> h{};
    const uint32_t rate = platform::kSynthSampleRate;
    std::memcpy(&h[0], "RIFF", 4);
    putLe32(&h[4], 36 + dataBytes);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    putLe32(&h[16], 16);
    putLe16(&h[20], kPcmFormat);
    putLe16(&h[22], kChannels);
    putLe32(&h[24], rate);
    putLe32(&h[28], rate * kWaveBytesPerFrame);
    putLe16(&h[32], kWaveBytesPerFrame);
    putLe16(&h[34], kBitsPerSample);
    std::memcpy(&h[36], "data", 4);
    putLe32(&h[40], dataBytes);
    return h;
}

WaveWriter::WaveWriter(util::FILESET* file) : file_(file)
{
    const auto header = waveHeader(0);
    util::fs_write(file_, header.data(), header.size());
}

void WaveWriter::append(const int16_t* stereo, size_t frames)
{
    if (frames > (kMaxWaveDataBytes - dataBytes_) / kWaveBytesPerFrame) util::uerr_raise(util::kErrFileCannotWrite);
    bytes_.resize(frames * kWaveBytesPerFrame);
    for (size_t i = 0; i < 2 * frames; ++i) putLe16(&bytes_[2 * i], static_cast<uint16_t>(stereo[i]));
    util::fs_write(file_, bytes_.data(), bytes_.size());
    dataBytes_ += static_cast<uint32_t>(bytes_.size());
}

void WaveWriter::finish()
{
    const auto header = waveHeader(dataBytes_);
    util::fs_seek(file_, 0, 0);
    util::fs_write(file_, header.data(), header.size());
    util::fs_seek(file_, 0, 2);
}

} // namespace zem2wav
