// Where rendered audio goes: an encoder writing one output file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zem2wav {

class AudioWriter {
public:
    virtual ~AudioWriter() = default;
    // Appends interleaved left/right 16-bit frames at 44100 Hz.  Raises
    // util::kErrFileCannotWrite when the output cannot take them.
    virtual void append(const int16_t* stereo, size_t frames) = 0;
    // Completes the file; nothing is appended afterwards.
    virtual void finish() = 0;
};

} // namespace zem2wav
