#include "render_file.h"

#include "audsink_sound.h"
#include "kvt_image.h"
#include "midi_port_sink.h"
#include "offline_renderer.h"
#include "progress_bar.h"
#include "render_messages.h"
#include "wave_writer.h"

#include "platform/midi_synth.h"
#include "playback/export_messages.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <cstdio>
#include <memory>

namespace zem2wav {

namespace {

struct RenderJob {
    const std::string* word;
    const playback::PlaybackSettings* settings;
    tools::ReportFn report;
    util::FILESET* input = nullptr;
    util::FILESET* output = nullptr;
    bool outputOpen = false; // messages name the output once it is being prepared
    std::vector<uint8_t> image;
    std::unique_ptr<platform::MidiSynth> synth;
    std::vector<std::unique_ptr<platform::MidiOutPort>> ports;
    uint32_t errorOffset = 0;
    std::string synthError;
};

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

std::vector<uint8_t> readInput(RenderJob& job, const std::string& inputPath)
{
    util::fs_open(job.input, util::FileMode::Read);
    uint32_t size = 0;
    const uint8_t* bytes = util::fs_load(job.input, &size);
    util::fs_close(job.input);
    if (isKvtPath(inputPath)) return compileKvt(bytes, size, inputPath, job.report);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t renderBody(void* arg)
{
    RenderJob& job = *static_cast<RenderJob*>(arg);
    job.input = util::fs_create();
    job.output = util::fs_create();

    util::fs_set_path(job.input, job.word->c_str(), "ZEM");
    util::fs_fix_case(job.input);
    const std::string inputPath = util::fs_path(job.input);
    if (util::conproof_hit(inputPath.c_str())) util::uerr_raise(playback::kErrConProof);
    job.image = readInput(job, inputPath);

    job.synth = platform::MidiSynth::create(platform::synthSoundFontPath(), kSynthGain, &job.synthError);
    if (!job.synth) util::uerr_raise(kErrSynthesizer);
    PortTable ports{};
    for (int p = 0; p < platform::kSynthPorts; ++p) {
        job.ports.push_back(platform::synthPort(*job.synth, p));
        ports[size_t(p)] = job.ports.back().get();
    }

    std::unique_ptr<WaveWriter> wave;
    OfflineRenderer renderer(*job.synth,
                             [&wave](const int16_t* stereo, size_t frames) { wave->append(stereo, frames); });
    // Samples and streams are named relative to the piece's folder; they
    // outlive the song, whose end frees them.
    AudsinkSound sound(renderer, folderOf(inputPath));
    renderer.setMixer(&sound);
    MidiPortSink sink(ports, renderer);
    sink.setSound(&sound);
    // Made before the output: an image the engine refuses leaves no file.
    playback::SongPlayback song(job.image.data(), job.image.size(), *job.settings, sink);

    job.outputOpen = true;
    util::fs_prepare_output(job.output, tools::replaceExtension(inputPath, ".WAV").c_str(), inputPath.c_str());
    util::fs_create_file(job.output, 0x80);
    util::fs_open(job.output, util::FileMode::Write);
    wave = std::make_unique<WaveWriter>(job.output);

    std::unique_ptr<ProgressBar> bar;
    if (progressWanted()) {
        bar = std::make_unique<ProgressBar>(songLengthMs(job.image, *job.settings));
        renderer.setProgress([&bar](uint64_t ms) { bar->update(ms); });
    }
    try {
        song.play();
        renderer.renderTail(uint64_t{kMaxTailMs} * platform::kSynthSampleRate / 1000);
    } catch (const util::UerrRaised&) {
        job.errorOffset = song.lastErrorOffset();
        // What was rendered stays a well-formed WAVE file when it can.
        try {
            wave->finish();
        } catch (const util::UerrRaised&) {}
        throw;
    }
    bar.reset();
    wave->finish();
    util::fs_close(job.output);
    std::printf("%s: %.3f s\n", util::fs_path(job.output),
                static_cast<double>(wave->frames()) / platform::kSynthSampleRate);
    std::fflush(stdout);
    return 0;
}

intptr_t renderHandler(void* arg, util::ErrCode& code)
{
    RenderJob& job = *static_cast<RenderJob*>(arg);
    if (code == util::kErrReported) return -1;
    const std::string text = renderErrorText(code, job.errorOffset, job.synthError);
    if (text.empty()) util::uerr_raise(code);
    const util::FILESET* concerned = job.outputOpen ? job.output : job.input;
    job.report(code == playback::kErrEngineDummy ? nullptr : util::fs_path(concerned), text.c_str());
    code = util::kErrReported;
    return -1;
}

intptr_t releaseFile(void* arg)
{
    RenderJob& job = *static_cast<RenderJob*>(arg);
    job.ports.clear();
    job.synth.reset();
    if (job.input) util::fs_free(job.input);
    if (job.output) util::fs_free(job.output);
    job.input = job.output = nullptr;
    return 0;
}

} // namespace

int32_t renderFile(const std::string& word, const playback::PlaybackSettings& settings, tools::ReportFn report)
{
    RenderJob job{&word, &settings, report};
    const intptr_t result = util::uerr_protect(&job, renderHandler, renderBody, releaseFile);
    return result == 0 ? 0 : -1;
}

} // namespace zem2wav
