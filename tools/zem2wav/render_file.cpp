#include "render_file.h"

#include "audsink_sound.h"
#include "kvt_image.h"
#include "midi_port_sink.h"
#include "offline_renderer.h"
#include "progress_bar.h"
#include "render_messages.h"
#include "render_output.h"

#include "common/file_job.h"
#include "platform/midi_synth.h"
#include "playback/export_messages.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <cstdio>
#include <memory>

namespace zem2wav {

namespace {

// Counts the song's milliseconds without sounding it.
class UnitCounter final : public EventClock {
public:
    void unitPassed() override { ++units; }
    util::ErrCode beforeMessage() override { return 0; }
    uint64_t units = 0;
};

// A song that fails on the way is measured up to its error; the real play
// reports the error.
uint64_t songLengthMs(const std::vector<uint8_t>& image, const playback::PlaybackSettings& settings)
{
    UnitCounter counter;
    MidiPortSink silent(PortTable{}, counter);
    playback::SongPlayback song(image.data(), image.size(), settings, silent);
    try {
        song.play();
    } catch (const util::UerrRaised&) {}
    return counter.units;
}

class RenderJob final : public tools::FileJob {
public:
    RenderJob(const std::string& word, const playback::PlaybackSettings& settings, const RenderOptions& options,
              tools::ReportFn reportTo)
        : FileJob(word, reportTo), settings_(settings), options_(options)
    {}

private:
    // KVT source is compiled into memory on the way.
    std::vector<uint8_t> readInput()
    {
        uint32_t size = 0;
        const uint8_t* bytes = loadInput(size);
        if (isKvtPath(inputPath())) return compileKvt(bytes, size, inputPath(), reporter());
        return std::vector<uint8_t>(bytes, bytes + size);
    }

    int32_t body() override
    {
        resolveInput("ZEM", playback::kErrConProof);
        const std::vector<uint8_t> image = readInput();

        std::unique_ptr<platform::MidiSynth> synth =
            platform::MidiSynth::create(platform::synthSoundFontPath(), kSynthGain, &synthError_);
        if (!synth) util::uerr_raise(kErrSynthesizer);
        std::vector<std::unique_ptr<platform::MidiOutPort>> synthPorts;
        PortTable ports{};
        for (int p = 0; p < platform::kSynthPorts; ++p) {
            synthPorts.push_back(platform::synthPort(*synth, p));
            ports[size_t(p)] = synthPorts.back().get();
        }

        std::unique_ptr<RenderOutput> wave;
        OfflineRenderer renderer(*synth,
                                 [&wave](const int16_t* stereo, size_t frames) { wave->append(stereo, frames); });
        // Samples and streams are named relative to the piece's folder; they
        // outlive the song, whose end frees them.
        AudsinkSound sound(renderer, folderOf(inputPath()));
        renderer.setMixer(&sound);
        MidiPortSink sink(ports, renderer);
        sink.setSound(&sound);
        // Made before the output: an image the engine refuses leaves no file.
        playback::SongPlayback song(image.data(), image.size(), settings_, sink);

        if (options_.outputName.empty())
            createOutput(".WAV");
        else
            createOutputAt(options_.outputName);
        wave =
            std::make_unique<RenderOutput>(output(), util::fs_path(output()), options_.loudnessLufs, scoreTags(image));

        std::unique_ptr<ProgressBar> bar;
        if (progressWanted()) {
            bar = std::make_unique<ProgressBar>(songLengthMs(image, settings_));
            renderer.setProgress([&bar](uint64_t ms) { bar->update(ms); });
        }
        try {
            song.play();
            renderer.renderTail(uint64_t{kMaxTailMs} * platform::kSynthSampleRate / 1000);
        } catch (const util::UerrRaised&) {
            errorOffset_ = song.lastErrorOffset();
            // What was rendered stays a well-formed WAVE file when it can.
            try {
                wave->finish();
            } catch (const util::UerrRaised&) {}
            throw;
        }
        bar.reset();
        wave->finish();
        util::fs_close(output());
        std::printf("%s: %.3f s\n", util::fs_path(output()),
                    static_cast<double>(wave->frames()) / platform::kSynthSampleRate);
        std::printf("%s: %s\n", util::fs_path(output()), loudnessText(*wave).c_str());
        std::fflush(stdout);
        return 0;
    }

    std::string errorText(util::ErrCode code) const override
    {
        return renderErrorText(code, errorOffset_, synthError_);
    }

    const char* caption(util::ErrCode code) const override
    {
        return playback::namesFile(code) ? FileJob::caption(code) : nullptr;
    }

    const playback::PlaybackSettings& settings_;
    const RenderOptions& options_;
    uint32_t errorOffset_ = 0;
    std::string synthError_;
};

} // namespace

int32_t renderFile(const std::string& word, const playback::PlaybackSettings& settings, const RenderOptions& options,
                   tools::ReportFn report)
{
    return RenderJob(word, settings, options, report).run();
}

} // namespace zem2wav
