#include "kvt/compile_job.h"

#include "compile_driver.h"
#include "messages.h"
#include "source_map_builder.h"
#include "util/fileset.h"
#include "util/strset.h"
#include "util/uerr.h"

#include <memory>
#include <new>
#include <optional>

namespace kvt {

namespace {

// Everything one call owns; the destructor is the closing step, so it runs
// however the call ends (also when a code passes on to the caller).
struct CompileJob {
    const CompileRequest& request;
    const char* outputPath;       // null: into memory
    std::vector<uint8_t>* memory; // with a null outputPath

    CompileContext ctx;
    SelectionMap map;
    util::FILESET* output = nullptr;
    util::STRSET* message = nullptr;
    std::unique_ptr<ImageWriter> writer;
    // Filled beside the image; handed to the request only when complete.
    SourceMap sourceMap;
    std::optional<SourceMapBuilder> sourceMapBuilder;

    CompileJob(const CompileRequest& r, const char* path, std::vector<uint8_t>* m)
        : request(r), outputPath(path), memory(m)
    {}
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
    setMessageSpot({});
    initContext(job.ctx, job.request.text, job.request.length, job.request.conditionMask);
    if (job.outputPath != nullptr) {
        job.output = util::fs_create();
        util::fs_set_path(job.output, job.outputPath, nullptr);
        util::fs_fix_case(job.output);
    }

    findTracks(job.ctx, job.map);

    if (job.output != nullptr) {
        util::fs_create_file(job.output, 0x80);
        util::fs_open(job.output, util::FileMode::Write);
        job.writer = std::make_unique<ImageWriter>(job.output);
    } else {
        job.writer = std::make_unique<ImageWriter>(*job.memory);
    }
    if (job.request.sourceMap != nullptr)
        job.sourceMapBuilder.emplace(job.request.text, job.request.length, job.sourceMap);
    writeImage(job.ctx, *job.writer, &job.map, job.sourceMapBuilder ? &*job.sourceMapBuilder : nullptr);
    if (job.request.sourceMap != nullptr) *job.request.sourceMap = std::move(job.sourceMap);
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
    if (job.request.errorSpot != nullptr && compileMessage) *job.request.errorSpot = {code, messageSpot()};
    if (job.request.callback != nullptr) {
        if (compileMessage) {
            formatCompileMessage(job.message, code);
            job.request.callback(job.request.user, util::ss_text(job.message), job.request.sourceName);
        } else {
            util::FILESET* file = util::fs_current();
            job.request.callback(job.request.user, util::uerr_name(code), file != nullptr ? util::fs_path(file) : "");
        }
    }
    code = util::kErrReported;
    return -1;
}

int32_t run(CompileJob& job)
{
    if (job.request.sourceMap != nullptr) job.request.sourceMap->tracks.clear();
    return static_cast<int32_t>(util::uerr_protect(&job, reportError, compileBody, nullptr));
}

} // namespace

int32_t compileToFile(const CompileRequest& request, const char* outputPath)
{
    CompileJob job(request, outputPath, nullptr);
    return run(job);
}

int32_t compileToMemory(const CompileRequest& request, std::vector<uint8_t>& image)
{
    image.clear();
    CompileJob job(request, nullptr, &image);
    const int32_t result = run(job);
    if (result != ZEMC_OK) image.clear();
    return result;
}

} // namespace kvt
