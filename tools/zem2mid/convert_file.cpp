#include "convert_file.h"

#include "export_messages.h"
#include "midi_file_sink.h"

#include "playback/song_playback.h"
#include "smf/smf_file.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <memory>

namespace zem2mid {

namespace {

struct FileJob {
    const std::string* word;
    const playback::ExportSettings* settings;
    tools::ReportFn report;
    util::FILESET* input = nullptr;
    util::FILESET* output = nullptr;
    bool outputOpen = false; // messages name the output once it is being prepared
    std::unique_ptr<MidiFileSink> sink;
    std::unique_ptr<playback::SongPlayback> song;
    uint32_t errorOffset = 0;
};

intptr_t convertBody(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    job.input = util::fs_create();
    job.output = util::fs_create();

    util::fs_set_path(job.input, job.word->c_str(), "ZEM");
    util::fs_fix_case(job.input);
    const std::string inputPath = util::fs_path(job.input);
    if (util::conproof_hit(inputPath.c_str())) util::uerr_raise(playback::kErrConProof);

    util::fs_open(job.input, util::FileMode::Read);
    uint32_t size = 0;
    const uint8_t* image = util::fs_load(job.input, &size);
    util::fs_close(job.input);
    const playback::ExportSettings& settings = *job.settings;
    job.sink = std::make_unique<MidiFileSink>(settings.offVelocity);
    job.song = std::make_unique<playback::SongPlayback>(image, size, settings.playback, *job.sink);

    job.outputOpen = true;
    util::fs_prepare_output(job.output, tools::replaceExtension(inputPath, ".MID").c_str(), inputPath.c_str());
    util::fs_create_file(job.output, 0x80);
    util::fs_open(job.output, util::FileMode::Write);

    const int tracks = job.song->trackCount();
    smf::beginFile(job.output);
    // A song cut at the time limit is still written, as far as it played,
    // and then reported.
    util::ErrCode cut = 0;
    try {
        job.song->play();
    } catch (const util::UerrRaised& e) {
        job.errorOffset = job.song->lastErrorOffset();
        if (e.code != playback::kErrSongTooLong) throw;
        cut = e.code;
    }
    if (const util::ErrCode code = job.sink->finish(settings.playback.ignoreEndlessLoops)) util::uerr_raise(code);
    for (int t = 0; t < tracks; ++t) smf::writeTrack(job.output, job.sink->track(t));
    // Ticks per quarter note: the timebase counts ticks per whole note.
    smf::finishFile(job.output, static_cast<uint16_t>(tracks), static_cast<uint16_t>(job.song->timebase() / 4));
    util::fs_close(job.output);
    if (cut != 0) util::uerr_raise(cut);
    return 0;
}

intptr_t convertHandler(void* arg, util::ErrCode& code)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    const std::string text = fileErrorText(code, job.errorOffset);
    if (text.empty()) util::uerr_raise(code);
    const util::FILESET* concerned = job.outputOpen ? job.output : job.input;
    // The dummy-function error is about the engine, not the file.
    job.report(code == playback::kErrEngineDummy ? nullptr : util::fs_path(concerned), text.c_str());
    code = util::kErrReported;
    return -1;
}

intptr_t releaseFile(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    job.song.reset();
    job.sink.reset();
    if (job.input) util::fs_free(job.input);
    if (job.output) util::fs_free(job.output);
    job.input = job.output = nullptr;
    return 0;
}

} // namespace

int32_t convertFile(const std::string& word, const playback::ExportSettings& settings, tools::ReportFn report)
{
    FileJob job{&word, &settings, report};
    const intptr_t result = util::uerr_protect(&job, convertHandler, convertBody, releaseFile);
    return result == 0 ? 0 : -1;
}

} // namespace zem2mid
