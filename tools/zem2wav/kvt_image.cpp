#include "kvt_image.h"

#include "compile_job.h"
#include "util/uerr.h"

#include <strings.h>

namespace zem2wav {

namespace {

struct CompileReport {
    tools::ReportFn report;
    const std::string* sourcePath;
};

void onCompileMessage(void* user, const char* message, const char* name)
{
    const auto& r = *static_cast<CompileReport*>(user);
    r.report(name && *name ? name : r.sourcePath->c_str(), message);
}

} // namespace

bool isKvtPath(const std::string& path) { return ::strcasecmp(tools::extensionOf(path).c_str(), ".kvt") == 0; }

std::vector<uint8_t> compileKvt(const uint8_t* text, uint32_t size, const std::string& sourcePath,
                                tools::ReportFn report)
{
    CompileReport context{report, &sourcePath};
    std::vector<uint8_t> image;
    const kvt::CompileRequest request{text, size, sourcePath.c_str(), 0, onCompileMessage, &context};
    if (kvt::compileToMemory(request, image) != ZEMC_OK) util::uerr_raise(util::kErrReported);
    return image;
}

} // namespace zem2wav
