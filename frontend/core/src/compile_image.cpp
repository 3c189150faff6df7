#include "frontend/compile_image.h"

#include "compile_job.h"
#include "mid2kvt/import_text.h"
#include "zem/score_kind.h"

namespace frontend {

namespace {

void onMessage(void* user, const char* message, const char* name)
{
    (*static_cast<const CompileMessageFn*>(user))(message ? message : "", name ? name : "");
}

} // namespace

std::optional<std::vector<uint8_t>> compileImage(const std::vector<uint8_t>& source, const std::string& sourcePath,
                                                 uint16_t switches, const CompileMessageFn& message,
                                                 kvt::SourceMap* sourceMap)
{
    const kvt::CompileRequest request{.text = source.data(),
                                      .length = static_cast<uint32_t>(source.size()),
                                      .sourceName = sourcePath.c_str(),
                                      .conditionMask = switches,
                                      .callback = onMessage,
                                      .user = const_cast<CompileMessageFn*>(&message),
                                      .sourceMap = sourceMap};
    std::vector<uint8_t> image;
    try {
        if (kvt::compileToMemory(request, image) != ZEMC_OK) return std::nullopt;
    } catch (...) {
        // The compiler's internal failures arrive as raised error frames.
        message("compiler failure", sourcePath);
        return std::nullopt;
    }
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
        bytes =
            mid2kvt::importText(bytes->data(), bytes->size(), [&](const std::string& text) { message(text, path); });
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
