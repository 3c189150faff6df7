#include "convert_file.h"

#include "export_messages.h"
#include "midi_file_sink.h"

#include "common/file_job.h"
#include "host/song_playback.h"
#include "smf/smf_file.h"
#include "util/fileset.h"
#include "util/uerr.h"

namespace zem2mid {

namespace {

class ConvertJob final : public tools::FileJob {
public:
    ConvertJob(const std::string& word, const playback::ExportSettings& settings, tools::ReportFn reportTo)
        : FileJob(word, reportTo), settings_(settings)
    {}

private:
    int32_t body() override
    {
        resolveInput("ZEM", playback::kErrConProof);
        uint32_t size = 0;
        const uint8_t* image = loadInput(size);
        MidiFileSink sink(settings_.offVelocity);
        host::SongPlayback song(image, size, settings_.playback, sink);

        createOutput(".MID");
        const int tracks = song.trackCount();
        smf::beginFile(output());
        // A song cut at the time limit is still written, as far as it played,
        // and then reported.
        util::ErrCode cut = 0;
        try {
            song.play();
        } catch (const util::UerrRaised& e) {
            errorOffset_ = song.lastErrorOffset();
            if (e.code != host::kErrSongTooLong) throw;
            cut = e.code;
        }
        if (const util::ErrCode code = sink.finish(settings_.playback.ignoreEndlessLoops)) util::uerr_raise(code);
        for (int t = 0; t < tracks; ++t) smf::writeTrack(output(), sink.track(t));
        // Ticks per quarter note: the timebase counts ticks per whole note.
        smf::finishFile(output(), static_cast<uint16_t>(tracks), static_cast<uint16_t>(song.timebase() / 4));
        // A cut song is a whole file too.
        commitOutput();
        if (cut != 0) util::uerr_raise(cut);
        return 0;
    }

    std::string errorText(util::ErrCode code) const override { return fileErrorText(code, errorOffset_); }

    const char* caption(util::ErrCode code) const override
    {
        return playback::namesFile(code) ? FileJob::caption(code) : nullptr;
    }

    const playback::ExportSettings& settings_;
    uint32_t errorOffset_ = 0;
};

} // namespace

int32_t convertFile(const std::string& word, const playback::ExportSettings& settings, tools::ReportFn report)
{
    return ConvertJob(word, settings, report).run();
}

} // namespace zem2mid
