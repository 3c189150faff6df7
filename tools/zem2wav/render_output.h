// The output of one render: the writer its name chooses, the loudness of
// what was written and, when asked, the whole render scaled first to a
// chosen loudness.
#pragma once

#include "audio_writer.h"
#include "loudness.h"
#include "meter_thread.h"
#include "score_tags.h"

#include "util/fileset.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zem2wav {

class RenderOutput {
public:
    // file: the output, open for writing, named path.  With loudnessLufs
    // the render is held in memory until finish().
    RenderOutput(util::FILESET* file, const std::string& path, std::optional<double> loudnessLufs,
                 const ScoreTags& tags);

    void append(const int16_t* stereo, size_t frames);
    // Scales a held render, writes it, and completes the file.
    void finish();

    uint64_t frames() const { return frames_; }
    // After finish(): the loudness of the file's samples and the gain applied.
    Loudness loudness() const { return meter_.result(); }
    double gainDb() const { return gainDb_; }

private:
    void write(const int16_t* stereo, size_t frames);

    std::unique_ptr<AudioWriter> writer_;
    std::optional<double> target_;
    MeterThread meter_;
    std::vector<int16_t> held_;
    uint64_t frames_ = 0;
    double gainDb_ = 0;
};

// "-16.0 LUFS, true peak -1.2 dBTP" and, after scaling, ", gain +9.3 dB".
std::string loudnessText(const RenderOutput& output);

} // namespace zem2wav
