// FLAC, Ogg Vorbis, Opus and MP3 renders through libsndfile.  The encoder
// writes into memory; finish() fixes what would differ from run to run (the
// Ogg stream serial) and writes the file in one piece.
#pragma once

#include "audio_writer.h"
#include "output_format.h"
#include "score_tags.h"

#include "util/fileset.h"

#include <memory>

namespace zem2wav {

class SndfileWriter final : public AudioWriter {
public:
    // file: open for writing, at position 0.  format: any but Wave.  The
    // tags are written as the file's title and comment.  Raises
    // util::kErrFileCannotWrite when the encoder refuses to start.
    SndfileWriter(util::FILESET* file, OutputFormat format, const ScoreTags& tags);
    ~SndfileWriter() override;

    void append(const int16_t* stereo, size_t frames) override;
    void finish() override;

private:
    struct Encoder;
    util::FILESET* file_;
    OutputFormat format_;
    std::unique_ptr<Encoder> encoder_;
};

} // namespace zem2wav
