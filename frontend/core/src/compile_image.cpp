#include "frontend/compile_image.h"

#include "compile_job.h"

#include <fstream>
#include <iterator>

namespace frontend {

namespace {

void onMessage(void* user, const char* message, const char* name)
{
    (*static_cast<const CompileMessageFn*>(user))(message ? message : "", name ? name : "");
}

} // namespace

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

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
