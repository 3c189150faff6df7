#include "convert_file.h"

#include "file_sink.h"
#include "mid2kvt/convert.h"
#include "mid2kvt/import_notes.h"
#include "mid2kvt/output_name.h"
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

// The codes a single file can cause; any other ends the run.
constexpr std::array<util::ErrCode, 10> kPerFileCodes{
    uint32_t(smf::ReadError::ConProof),
    uint32_t(smf::ReadError::NotEnoughSize),
    uint32_t(smf::ReadError::MthdNotMatch),
    uint32_t(smf::ReadError::MthdFormat),
    uint32_t(smf::ReadError::MtrkNotMatch),
    uint32_t(smf::ReadError::DeltaTooLong),
    util::kErrFileCannotRead,
    util::kErrFileCannotWrite,
    util::kErrFileNotFound,
    util::kErrFileNotOpen,
};

struct FileJob {
    const char* name;
    util::FILESET* in = nullptr;
    util::FILESET* out = nullptr;
    std::string caption;       // the input's name, then its full path
    bool namingOutput = false; // messages name the output from here on
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

intptr_t convertBody(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    job.in = util::fs_create();
    job.out = util::fs_create();

    util::fs_set_path(job.in, job.name, "MID");
    util::fs_fix_case(job.in);
    job.caption = util::fs_path(job.in);
    if (util::conproof_hit(job.caption.c_str())) raiseIf(smf::ReadError::ConProof);

    util::fs_open(job.in, util::FileMode::Read);
    uint32_t size = 0;
    const uint8_t* data = util::fs_load(job.in, &size);
    smf::SmfHeader header{};
    raiseIf(smf::readHeader(data, size, header));

    job.namingOutput = true;
    // An existing output is kept under a backup name, never overwritten.
    util::fs_prepare_output(job.out, kvtOutputPath(job.caption).c_str(), job.caption.c_str());
    util::fs_create_file(job.out, 0x80);
    util::fs_open(job.out, util::FileMode::Write);

    FileSink sink(job.out);
    ImportNotes notes;
    const smf::ReadError error = convertWithinMemory(data, size, header, sink, notes);
    sink.flush();
    // The output is open now: warnings are captioned with it, as errors are.
    for (const std::string& text : importNoteMessages(notes))
        platform::showMessage(util::fs_path(job.out), text.c_str(), platform::MessageIcon::Warning);
    raiseIf(error);
    util::fs_close(job.out);
    return 0;
}

intptr_t convertHandler(void* arg, util::ErrCode& code)
{
    const FileJob& job = *static_cast<const FileJob*>(arg);
    if (code == util::kErrReported) return -1;
    if (std::find(kPerFileCodes.begin(), kPerFileCodes.end(), code) == kPerFileCodes.end()) util::uerr_raise(code);
    const char* caption = job.namingOutput ? util::fs_path(job.out) : job.caption.c_str();
    platform::showMessage(caption, util::uerr_name(code), platform::MessageIcon::Stop);
    code = util::kErrReported;
    return -1;
}

intptr_t convertCleanup(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    for (util::FILESET* f : {job.in, job.out})
        if (f != nullptr) util::fs_free(f);
    job.in = job.out = nullptr;
    return 0;
}

} // namespace

int32_t convertFile(const char* name)
{
    FileJob job{name};
    job.caption = name;
    return util::uerr_protect(&job, convertHandler, convertBody, convertCleanup) == 0 ? 0 : -1;
}

} // namespace mid2kvt
