#include "render_file.h"

#include "audsink_sound.h"
#include "kvt_image.h"
#include "midi_port_sink.h"
#include "offline_renderer.h"
#include "progress_bar.h"
#include "render_limit.h"
#include "render_messages.h"
#include "render_output.h"
#include "render_synth.h"

#include "common/file_job.h"
#include "platform/midi_synth.h"
#include "platform/terminal_text.h"
#include "playback/export_messages.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <cstdio>
#include <memory>
#include <set>
#include <sys/stat.h>

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
uint64_t songLengthMs(const std::vector<uint8_t>& image, const host::PlaybackSettings& settings)
{
    UnitCounter counter;
    MidiPortSink silent(PortTable{}, counter);
    host::SongPlayback song(image.data(), image.size(), settings, silent);
    try {
        song.play();
    } catch (const util::UerrRaised&) {}
    return counter.units;
}

bool sameFile(const std::string& a, const char* b)
{
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

class RenderJob final : public tools::FileJob {
public:
    RenderJob(const std::string& word, const RenderSettings& settings, tools::ReportFn reportTo)
        : FileJob(word, reportTo), settings_(settings)
    {}

private:
    // KVT text and MIDI files are compiled into memory on the way.
    std::vector<uint8_t> readInput()
    {
        uint32_t size = 0;
        const uint8_t* bytes = loadInput(size);
        return songImage(bytes, size, inputPath(), reporter());
    }

    // The output must not take the place of a file the song plays: the
    // song reads the old one while the new one is written, and would lose
    // it to the backup name.
    void refuseReplacingWhatWasRead(const std::set<std::string>& filesRead)
    {
        for (const std::string& path : filesRead) {
            if (!sameFile(path, outputPath())) continue;
            refusal_ = "The song plays this file; it is not replaced by the render.";
            util::uerr_raise(kErrRenderRefused);
        }
    }

    int32_t body() override
    {
        resolveInput("ZEM", playback::kErrConProof);
        const std::vector<uint8_t> image = readInput();
        const uint64_t lengthMs = songLengthMs(image, settings_.playback);
        refusal_ =
            renderRefusal(lengthMs, lengthMs >= settings_.playback.songTimeLimitMs, settings_.limitMinutes, kMaxTailMs);
        if (!refusal_.empty()) util::uerr_raise(kErrRenderRefused);

        std::unique_ptr<platform::MidiSynth> synth = createRenderSynth(settings_.threads, kSynthGain, &synthError_);
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
        FadingClock clock(renderer, sound);
        MidiPortSink sink(ports, clock);
        sink.setSound(&sound.sink());
        // Made before the output: an image the engine refuses leaves no file.
        host::SongPlayback song(image.data(), image.size(), settings_.playback, sink);
        clock.follow(&song.fade());

        if (settings_.output.outputName.empty())
            createOutput(".WAV");
        else
            createOutputAt(settings_.output.outputName);
        wave = std::make_unique<RenderOutput>(output(), outputPath(), settings_.output.loudnessLufs, scoreTags(image));

        std::unique_ptr<ProgressBar> bar;
        if (progressWanted()) {
            bar = std::make_unique<ProgressBar>(lengthMs);
            renderer.setProgress([&bar](uint64_t ms) { bar->update(ms); });
        }
        // A render that fails leaves nothing: its file is never put in place.
        try {
            song.play();
        } catch (const util::UerrRaised&) {
            errorOffset_ = song.lastErrorOffset();
            throw;
        }
        sound.fadeOutAtEnd();
        renderer.renderTail(uint64_t{kMaxTailMs} * platform::kSynthSampleRate / 1000);
        bar.reset();
        wave->finish();
        refuseReplacingWhatWasRead(sound.filesRead());
        commitOutput();
        // A file name is anybody's text: no control character reaches the terminal.
        const std::string shownPath = platform::terminalSafe(outputPath());
        std::printf("%s: %.3f s\n", shownPath.c_str(),
                    static_cast<double>(wave->frames()) / platform::kSynthSampleRate);
        std::printf("%s: %s\n", shownPath.c_str(), loudnessText(*wave).c_str());
        std::fflush(stdout);
        return 0;
    }

    std::string errorText(util::ErrCode code) const override
    {
        return code == kErrRenderRefused ? refusal_ : renderErrorText(code, errorOffset_, synthError_);
    }

    const char* caption(util::ErrCode code) const override
    {
        return playback::namesFile(code) ? FileJob::caption(code) : nullptr;
    }

    const RenderSettings& settings_;
    uint32_t errorOffset_ = 0;
    std::string synthError_;
    std::string refusal_;
};

} // namespace

int32_t renderFile(const std::string& word, const RenderSettings& settings, tools::ReportFn report)
{
    return RenderJob(word, settings, report).run();
}

} // namespace zem2wav
