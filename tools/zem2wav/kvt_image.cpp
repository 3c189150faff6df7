#include "kvt_image.h"

#include "kvt/compile_job.h"
#include "mid2kvt/import_text.h"
#include "util/uerr.h"
#include "zem/score_kind.h"

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

std::vector<uint8_t> compileKvt(const uint8_t* text, uint32_t size, const std::string& sourcePath,
                                tools::ReportFn report)
{
    CompileReport context{report, &sourcePath};
    std::vector<uint8_t> image;
    const kvt::CompileRequest request{text, size, sourcePath.c_str(), 0, onCompileMessage, &context};
    if (kvt::compileToMemory(request, image) != ZEMC_OK) util::uerr_raise(util::kErrReported);
    return image;
}

std::vector<uint8_t> songImage(const uint8_t* bytes, uint32_t size, const std::string& sourcePath,
                               tools::ReportFn report)
{
    switch (zem::scoreKindOf(bytes, size)) {
    case zem::ScoreKind::Image: break;
    case zem::ScoreKind::StandardMidiFile: {
        const auto text = mid2kvt::importText(
            bytes, size, [&](const std::string& message) { report(sourcePath.c_str(), message.c_str()); });
        if (!text) util::uerr_raise(util::kErrReported);
        return compileKvt(text->data(), uint32_t(text->size()), sourcePath, report);
    }
    case zem::ScoreKind::KvtText: return compileKvt(bytes, size, sourcePath, report);
    }
    return std::vector<uint8_t>(bytes, bytes + size);
}

} // namespace zem2wav
