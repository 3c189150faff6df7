#include "render_output.h"

#include "output_format.h"
#include "sndfile_writer.h"
#include "wave_writer.h"

#include <cmath>
#include <cstdio>

namespace zem2wav {

namespace {

std::unique_ptr<AudioWriter> writerFor(util::FILESET* file, const std::string& path, const ScoreTags& tags)
{
    const OutputFormat format = outputFormatOf(path);
    if (format == OutputFormat::Wave) return std::make_unique<WaveWriter>(file);
    return std::make_unique<SndfileWriter>(file, format, tags);
}

std::string decibels(double value, const char* unit)
{
    if (!std::isfinite(value)) return std::string("-inf ") + unit;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    return text;
}

} // namespace

RenderOutput::RenderOutput(util::FILESET* file, const std::string& path, std::optional<double> loudnessLufs,
                           const ScoreTags& tags)
    : writer_(writerFor(file, path, tags)), target_(loudnessLufs)
{}

void RenderOutput::append(const int16_t* stereo, size_t frames)
{
    frames_ += frames;
    if (target_)
        held_.insert(held_.end(), stereo, stereo + 2 * frames);
    else
        write(stereo, frames);
}

void RenderOutput::write(const int16_t* stereo, size_t frames)
{
    meter_.add(stereo, frames);
    writer_->append(stereo, frames);
}

void RenderOutput::finish()
{
    if (target_) {
        // First pass: measure the render as it came; second: scale and write.
        LoudnessMeter before;
        before.add(held_.data(), held_.size() / 2);
        gainDb_ = loudnessGainDb(before.result(), *target_);
        applyGain(held_.data(), held_.size(), gainDb_);
        write(held_.data(), held_.size() / 2);
        held_.clear();
        target_.reset();
    }
    writer_->finish();
}

std::string loudnessText(const RenderOutput& output)
{
    const Loudness loudness = output.loudness();
    std::string text = decibels(loudness.integratedLufs, "LUFS") + ", true peak " +
                       decibels(loudness.truePeakDbtp, "dBTP");
    if (output.gainDb() != 0) {
        char gain[32];
        std::snprintf(gain, sizeof gain, ", gain %+.1f dB", output.gainDb());
        text += gain;
    }
    return text;
}

} // namespace zem2wav
