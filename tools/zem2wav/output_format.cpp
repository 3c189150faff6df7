#include "output_format.h"

#include "common/run_files.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace zem2wav {

namespace {

struct Ending {
    std::string_view extension;
    OutputFormat format;
};

constexpr Ending kEndings[] = {
    {".flac", OutputFormat::Flac}, {".ogg", OutputFormat::OggVorbis}, {".oga", OutputFormat::OggVorbis},
    {".opus", OutputFormat::Opus}, {".mp3", OutputFormat::Mp3},
};

} // namespace

OutputFormat outputFormatOf(const std::string& path)
{
    std::string extension = tools::extensionOf(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Ending& e : kEndings)
        if (extension == e.extension) return e.format;
    return OutputFormat::Wave;
}

} // namespace zem2wav
