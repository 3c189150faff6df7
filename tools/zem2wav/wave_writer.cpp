#include "wave_writer.h"

#include "platform/midi_synth.h"
#include "util/uerr.h"
#include "wave/pcm_header.h"

namespace zem2wav {

namespace {

constexpr wave::PcmFormat kFormat{2, platform::kSynthSampleRate, 16};
static_assert(kFormat.frameBytes() == kWaveBytesPerFrame);

} // namespace

WaveWriter::WaveWriter(util::FILESET* file) : file_(file)
{
    const auto header = wave::pcmHeader(kFormat, 0);
    util::fs_write(file_, header.data(), header.size());
}

void WaveWriter::append(const int16_t* stereo, size_t frames)
{
    if (frames > (wave::kMaxPcmDataBytes - dataBytes_) / kWaveBytesPerFrame)
        util::uerr_raise(util::kErrFileCannotWrite);
    bytes_.resize(frames * kWaveBytesPerFrame);
    for (size_t i = 0; i < 2 * frames; ++i) wave::putLe16(&bytes_[2 * i], static_cast<uint16_t>(stereo[i]));
    util::fs_write(file_, bytes_.data(), bytes_.size());
    dataBytes_ += static_cast<uint32_t>(bytes_.size());
}

void WaveWriter::finish()
{
    const auto header = wave::pcmHeader(kFormat, dataBytes_);
    util::fs_seek(file_, 0, 0);
    util::fs_write(file_, header.data(), header.size());
    util::fs_seek(file_, 0, 2);
}

} // namespace zem2wav
