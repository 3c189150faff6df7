#include "file_job.h"

#include "pending_on_signal.h"

namespace tools {

bool isFileError(util::ErrCode code)
{
    return code == util::kErrFileCannotRead || code == util::kErrFileCannotWrite || code == util::kErrFileNotFound ||
           code == util::kErrFileNotOpen;
}

int32_t FileJob::run() { return util::uerr_protect(this, handlerEntry, bodyEntry, releaseEntry) == 0 ? 0 : -1; }

intptr_t FileJob::bodyEntry(void* job) { return static_cast<FileJob*>(job)->body(); }

intptr_t FileJob::handlerEntry(void* arg, util::ErrCode& code)
{
    const FileJob& job = *static_cast<const FileJob*>(arg);
    if (code == util::kErrReported) return -1;
    const std::string text = job.errorText(code);
    if (text.empty()) util::uerr_raise(code);
    job.report(job.caption(code), text.c_str());
    code = util::kErrReported;
    return -1;
}

intptr_t FileJob::releaseEntry(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    // An output never committed was not finished: it goes.
    if (job.pending_ != nullptr) util::fs_discard_pending(job.pending_);
    keepOnSignal();
    for (util::FILESET* f : {job.input_, job.output_, job.pending_})
        if (f != nullptr) util::fs_free(f);
    job.input_ = job.output_ = job.pending_ = nullptr;
    return 0;
}

const char* FileJob::caption(util::ErrCode) const
{
    return namingOutput_ ? util::fs_path(output_) : inputPath_.c_str();
}

void FileJob::resolveInput(const char* defaultExtension, util::ErrCode conProof)
{
    input_ = util::fs_create();
    util::fs_set_path(input_, word_.c_str(), defaultExtension);
    util::fs_fix_case(input_);
    inputPath_ = util::fs_path(input_);
    if (util::conproof_hit(inputPath_.c_str())) util::uerr_raise(conProof);
}

const uint8_t* FileJob::loadInput(uint32_t& size)
{
    util::fs_open(input_, util::FileMode::Read);
    const uint8_t* bytes = util::fs_load(input_, &size);
    util::fs_close(input_);
    return bytes;
}

void FileJob::createOutput(const std::string& suffix) { createOutputAt(replaceExtension(inputPath_, suffix)); }

void FileJob::createOutputAt(const std::string& path)
{
    output_ = util::fs_create();
    namingOutput_ = true;
    util::fs_prepare_output(output_, path.c_str(), inputPath_.c_str());
    pending_ = util::fs_create();
    util::fs_create_pending(pending_, output_);
    removeOnSignal(util::fs_path(pending_));
}

void FileJob::commitOutput()
{
    util::fs_put_in_place(pending_, output_);
    keepOnSignal();
}

} // namespace tools
