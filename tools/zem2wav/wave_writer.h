// Writes a RIFF WAVE file of 44100 Hz 16-bit stereo PCM: the header first
// with sizes to be filled in, the samples as they come, the sizes at the end.
#pragma once

#include "audio_writer.h"

#include "util/fileset.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zem2wav {

inline constexpr uint32_t kWaveBytesPerFrame = 4;

class WaveWriter final : public AudioWriter {
public:
    // file: open for writing, at position 0.  Writes the header.
    explicit WaveWriter(util::FILESET* file);
    // Appends interleaved left/right frames.  Raises kErrFileCannotWrite on
    // a short write or when the file would outgrow the RIFF size fields.
    void append(const int16_t* stereo, size_t frames) override;
    // Writes the final sizes into the header.
    void finish() override;
    uint64_t frames() const { return dataBytes_ / kWaveBytesPerFrame; }

private:
    util::FILESET* file_;
    uint32_t dataBytes_ = 0;
    std::vector<uint8_t> bytes_;
};

} // namespace zem2wav
