#include "frontend/compile_image.h"

#include <zemcmain.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
    const char* dir = std::getenv("TMPDIR");
    std::string temporary = std::string(dir && *dir ? dir : "/tmp") + "/zemfe-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        message("File cannot write", temporary);
        return std::nullopt;
    }
    ::close(fd);
    int32_t result = ZEMC_REPORTED;
    try {
        result = zemc(source.data(), static_cast<uint32_t>(source.size()), sourcePath.c_str(), temporary.c_str(),
                      switches, onMessage, const_cast<CompileMessageFn*>(&message));
    } catch (...) {
        // The compiler's internal failures arrive as raised error frames.
        message("compiler failure", sourcePath);
    }
    std::optional<std::vector<uint8_t>> image;
    if (result == ZEMC_OK) image = readWholeFile(temporary);
    ::unlink(temporary.c_str());
    return image;
}

} // namespace frontend
