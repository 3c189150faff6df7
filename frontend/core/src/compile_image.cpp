#include "frontend/compile_image.h"

#include "compile_job.h"

#include <strings.h>

#include <filesystem>

namespace frontend {

namespace {

void onMessage(void* user, const char* message, const char* name)
{
    (*static_cast<const CompileMessageFn*>(user))(message ? message : "", name ? name : "");
}

bool isImagePath(const std::string& path)
{
    const std::string last = std::filesystem::path(path).filename().string();
    const size_t dot = last.rfind('.');
    return dot != std::string::npos && ::strcasecmp(last.c_str() + dot, ".zem") == 0;
}

} // namespace

std::optional<std::vector<uint8_t>> compileImage(const std::vector<uint8_t>& source, const std::string& sourcePath,
                                                 uint16_t switches, const CompileMessageFn& message)
{
    const kvt::CompileRequest request{source.data(),      static_cast<uint32_t>(source.size()),
                                      sourcePath.c_str(), switches,
                                      onMessage,          const_cast<CompileMessageFn*>(&message)};
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
    if (isImagePath(path)) return {std::move(bytes), LoadFailure::None};
    if (isStandardMidiFile(*bytes)) {
        bytes = importMidi(*bytes, path, message);
        if (!bytes) return {std::nullopt, LoadFailure::Unreadable};
    }
    auto image = compileImage(*bytes, path, switches, message);
    const LoadFailure failure = image ? LoadFailure::None : LoadFailure::Compile;
    return {std::move(image), failure};
}

} // namespace frontend
