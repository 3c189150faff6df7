#include "compile_file.h"

#include "driver_codes.h"

#include "util/fileset.h"
#include "util/uerr.h"
#include "zemcmain.h"

#include <string>

namespace zemc_driver {

namespace {

struct FileJob {
    const std::string* word;
    const Switches* switches;
    tools::ReportFn report;
    std::string sourcePath;
    util::FILESET* source = nullptr;
    util::FILESET* output = nullptr;
};

void onCompileMessage(void* user, const char* message, const char* name)
{
    static_cast<FileJob*>(user)->report(name, message);
}

intptr_t compileBody(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    job.source = util::fs_create();
    job.output = util::fs_create();

    util::fs_set_path(job.source, job.word->c_str(), "KVT");
    util::fs_fix_case(job.source);
    job.sourcePath = util::fs_path(job.source);
    if (util::conproof_hit(job.sourcePath.c_str())) util::uerr_raise(kErrConProof);

    util::fs_prepare_output(job.output, tools::replaceExtension(job.sourcePath, job.switches->suffix).c_str(),
                            job.sourcePath.c_str());

    util::fs_open(job.source, util::FileMode::Read);
    uint32_t size = 0;
    const uint8_t* text = util::fs_load(job.source, &size);
    util::fs_close(job.source);

    const int32_t result = zemc(text, size, job.sourcePath.c_str(), util::fs_path(job.output), job.switches->flags,
                                onCompileMessage, &job);
    // The library refuses a reserved output name silently; the driver says so.
    if (result == static_cast<int32_t>(kErrConProof)) util::uerr_raise(kErrConProof);
    return result;
}

intptr_t compileHandler(void* arg, util::ErrCode& code)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    switch (code) {
    case util::kErrFileCannotRead:
    case util::kErrFileCannotWrite:
    case util::kErrFileNotFound:
    case util::kErrFileNotOpen: {
        const util::FILESET* concerned = util::fs_current();
        job.report(concerned ? util::fs_path(concerned) : job.word->c_str(), util::uerr_name(code));
        break;
    }
    case kErrConProof: job.report(job.sourcePath.c_str(), util::kConProofMessage); break;
    default: util::uerr_raise(code);
    }
    code = util::kErrReported;
    return -1;
}

intptr_t releaseFiles(void* arg)
{
    FileJob& job = *static_cast<FileJob*>(arg);
    if (job.source) util::fs_free(job.source);
    if (job.output) util::fs_free(job.output);
    job.source = job.output = nullptr;
    return 0;
}

} // namespace

int32_t compileFile(const std::string& word, const Switches& switches, tools::ReportFn report)
{
    FileJob job{&word, &switches, report, {}};
    const intptr_t result = util::uerr_protect(&job, compileHandler, compileBody, releaseFiles);
    return result == 0 ? 0 : -1;
}

} // namespace zemc_driver
