#include "convert_file.h"

#include "common/file_job.h"
#include "file_sink.h"
#include "mid2kvt/convert.h"
#include "mid2kvt/import_notes.h"
#include "platform/message.h"
#include "smf/read_error.h"
#include "smf/smf_reader.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <algorithm>
#include <array>
#include <new>
#include <string>

namespace mid2kvt {

namespace {

// The codes of the MIDI file itself; besides the file errors, any other
// ends the run.
constexpr std::array<util::ErrCode, 6> kReadCodes{
    uint32_t(smf::ReadError::ConProof),     uint32_t(smf::ReadError::NotEnoughSize),
    uint32_t(smf::ReadError::MthdNotMatch), uint32_t(smf::ReadError::MthdFormat),
    uint32_t(smf::ReadError::MtrkNotMatch), uint32_t(smf::ReadError::DeltaTooLong),
};

void raiseIf(smf::ReadError e)
{
    if (e != smf::ReadError::None) util::uerr_raise(static_cast<util::ErrCode>(e));
}

// The event list of a huge chunk may not fit in memory: that is the
// library's "Out of memory", which ends the run instead of aborting it.
smf::ReadError convertWithinMemory(const uint8_t* data, uint32_t size, const smf::SmfHeader& header, FileSink& sink,
                                   ImportNotes& notes)
{
    try {
        return convertTracks(data, size, header, sink, notes);
    } catch (const std::bad_alloc&) {
        util::uerr_raise(util::kErrOutOfMemory);
    }
}

void showFailure(const char* caption, const char* text)
{
    platform::showMessage(caption, text, platform::MessageIcon::Stop);
}

class ConvertJob final : public tools::FileJob {
public:
    explicit ConvertJob(const char* name) : FileJob(name, showFailure) {}

private:
    int32_t body() override
    {
        resolveInput("MID", static_cast<util::ErrCode>(smf::ReadError::ConProof));
        uint32_t size = 0;
        const uint8_t* data = loadInput(size);
        smf::SmfHeader header{};
        raiseIf(smf::readHeader(data, size, header));

        // An existing output is kept under a backup name, never overwritten,
        // and only once the new one is complete.
        createOutput(".KVT");
        FileSink sink(output());
        ImportNotes notes;
        const smf::ReadError error = convertWithinMemory(data, size, header, sink, notes);
        sink.flush();
        // The output is open now: warnings are captioned with it, as errors are.
        for (const std::string& text : importNoteMessages(notes))
            platform::showMessage(outputPath(), text.c_str(), platform::MessageIcon::Warning);
        raiseIf(error);
        commitOutput();
        return 0;
    }

    std::string errorText(util::ErrCode code) const override
    {
        const bool perFile = tools::isFileError(code) ||
                             std::find(kReadCodes.begin(), kReadCodes.end(), code) != kReadCodes.end();
        return perFile ? util::uerr_name(code) : std::string();
    }
};

} // namespace

int32_t convertFile(const char* name) { return ConvertJob(name).run(); }

} // namespace mid2kvt
