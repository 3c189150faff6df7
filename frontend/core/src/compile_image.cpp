#include "frontend/compile_image.h"

#include "kvt/check.h"
#include "kvt/compile_job.h"
#include "mid2kvt/import_text.h"
#include "zem/score_kind.h"

namespace frontend {

namespace {

// The compiler reports at most one message; its place is known only once
// the compile has returned.
void keepMessage(void* user, const char* text, const char* name)
{
    auto& kept = *static_cast<std::optional<CompileMessage>*>(user);
    kept = CompileMessage{.file = name ? name : "", .text = text ? text : ""};
}

} // namespace

std::optional<std::vector<uint8_t>> compileImage(const std::vector<uint8_t>& source, const std::string& sourcePath,
                                                 uint16_t switches, const CompileMessageFn& message,
                                                 kvt::SourceMap* sourceMap)
{
    std::optional<CompileMessage> kept;
    kvt::CompileErrorSpot spot;
    const kvt::CompileRequest request{
        source.data(), static_cast<uint32_t>(source.size()), sourcePath.c_str(), switches, keepMessage, &kept, &spot,
        sourceMap};
    std::vector<uint8_t> image;
    int32_t result = ZEMC_OK;
    try {
        result = kvt::compileToMemory(request, image);
    } catch (...) {
        // The compiler's internal failures arrive as raised error frames.
        message({.file = sourcePath, .text = "compiler failure"});
        return std::nullopt;
    }
    if (kept) {
        const kvt::ErrorPlace place = kvt::errorPlace(source.data(), spot.code, spot.spot.line, spot.spot.command);
        kept->line = place.line;
        kept->column = place.column;
        message(*kept);
    }
    if (result != ZEMC_OK) return std::nullopt;
    return image;
}

} // namespace frontend

namespace frontend {

LoadedScore loadScore(const std::string& path, uint16_t switches, const CompileMessageFn& message)
{
    auto bytes = readWholeFile(path);
    if (!bytes) return {std::nullopt, LoadFailure::Unreadable};
    switch (zem::scoreKindOf(bytes->data(), bytes->size())) {
    case zem::ScoreKind::Image: return {std::move(bytes), LoadFailure::None};
    case zem::ScoreKind::StandardMidiFile:
        bytes = mid2kvt::importText(bytes->data(), bytes->size(),
                                    [&](const std::string& text) { message({.file = path, .text = text}); });
        if (!bytes) return {std::nullopt, LoadFailure::Unreadable};
        break;
    case zem::ScoreKind::KvtText: {
        LoadedScore score;
        score.image = compileImage(*bytes, path, switches, message, &score.sourceMap);
        if (!score.image) score.failure = LoadFailure::Compile;
        return score;
    }
    }
    auto image = compileImage(*bytes, path, switches, message);
    const LoadFailure failure = image ? LoadFailure::None : LoadFailure::Compile;
    return {std::move(image), failure};
}

} // namespace frontend
