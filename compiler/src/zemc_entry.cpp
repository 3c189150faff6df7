// The library's entries: the compile call with its error frame, its message
// reporting and its closing step.
#include "zemcmain.h"

#include "compile_driver.h"
#include "messages.h"
#include "util/fileset.h"
#include "util/strset.h"
#include "util/uerr.h"

#include <memory>
#include <new>

namespace kvt {

namespace {

// Everything one call owns; the destructor is the closing step, so it runs
// however the call ends (also when a code passes on to the caller).
struct CompileJob {
    const uint8_t* text;
    uint32_t length;
    const char* sourceName;
    const char* outputPath;
    uint16_t conditionMask;
    zemc_message_fn callback;
    void* user;

    CompileContext ctx;
    SelectionMap map;
    util::FILESET* output = nullptr;
    util::STRSET* message = nullptr;
    std::unique_ptr<ImageWriter> writer;

    CompileJob() = default;
    CompileJob(const CompileJob&) = delete;
    CompileJob& operator=(const CompileJob&) = delete;
    ~CompileJob()
    {
        if (output != nullptr) {
            util::fs_close(output);
            util::fs_free(output);
        }
        if (message != nullptr) util::ss_free(message);
    }
};

void compile(CompileJob& job)
{
    job.message = util::ss_create(nullptr, 0);
    initContext(job.ctx, job.text, job.length, job.conditionMask);
    job.output = util::fs_create();
    util::fs_set_path(job.output, job.outputPath, nullptr);
    util::fs_fix_case(job.output);

    findTracks(job.ctx, job.map);

    util::fs_create_file(job.output, 0x80);
    util::fs_open(job.output, util::FileMode::Write);
    job.writer = std::make_unique<ImageWriter>(job.output);
    writeImage(job.ctx, *job.writer, &job.map);
}

intptr_t compileBody(void* arg)
{
    try {
        compile(*static_cast<CompileJob*>(arg));
    } catch (const std::bad_alloc&) {
        // The compiler's own buffers fail like the utility library's blocks.
        util::uerr_raise(util::kErrOutOfMemory);
    }
    return 0;
}

intptr_t flushBody(void* arg)
{
    static_cast<ImageWriter*>(arg)->flush();
    return 0;
}

intptr_t ignoreError(void*, util::ErrCode& code)
{
    code = util::kErrReported;
    return -1;
}

intptr_t reportError(void* arg, util::ErrCode& code)
{
    CompileJob& job = *static_cast<CompileJob*>(arg);
    bool compileMessage = messageTemplate(code) != nullptr;
    if (!compileMessage && !isReportedFileError(code)) util::uerr_raise(code);
    // What was written before the error stays in the file.
    if (job.writer != nullptr && compileMessage) util::uerr_protect(job.writer.get(), ignoreError, flushBody, nullptr);
    if (job.callback != nullptr) {
        if (compileMessage) {
            formatCompileMessage(job.message, code);
            job.callback(job.user, util::ss_text(job.message), job.sourceName);
        } else {
            util::FILESET* file = util::fs_current();
            job.callback(job.user, util::uerr_name(code), file != nullptr ? util::fs_path(file) : "");
        }
    }
    code = util::kErrReported;
    return -1;
}

} // namespace

} // namespace kvt

extern "C" ZEMC_EXPORT int32_t zemc(const uint8_t* text, uint32_t length, const char* source_name,
                                    const char* output_path, uint32_t flags, zemc_message_fn callback, void* user)
{
    if (util::conproof_hit(output_path)) return ZEMC_CON_PROOF;
    kvt::CompileJob job;
    job.text = text;
    job.length = length;
    job.sourceName = source_name;
    job.outputPath = output_path;
    job.conditionMask = static_cast<uint16_t>(flags);
    job.callback = callback;
    job.user = user;
    return static_cast<int32_t>(util::uerr_protect(&job, kvt::reportError, kvt::compileBody, nullptr));
}

extern "C" ZEMC_EXPORT uint32_t dc_version(void) { return ZEMC_INTERFACE_VERSION; }
