// zem2wav: renders the ZEM images (or KVT sources) named on the command
// line to WAVE files through the built-in synthesizer.
#include "render_file.h"
#include "render_messages.h"

#include "common/run_files.h"
#include "playback/export_messages.h"
#include "playback/export_settings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void printMessage(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption && *caption ? caption : zem2wav::kBanner, text);
}

} // namespace

int main(int argc, char** argv)
{
    std::printf("%s\n", zem2wav::kBanner);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return 0;
    if (argc < 2 || (argc == 2 && std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(zem2wav::kUsage, stdout);
        return 0;
    }
    std::fflush(stdout);
    const std::vector<std::string> words(argv + 1, argv + argc);
    playback::ExportSettings settings;
    return tools::runFiles(words, tools::FileRun{[&](const std::vector<std::string>& w) {
                                                     settings =
                                                         playback::parseSettings(w, playback::TrailingText::EndsWord);
                                                 },
                                                 [&](const std::string& word) {
                                                     return zem2wav::renderFile(word, settings.playback, printMessage);
                                                 },
                                                 playback::kErrIllegalOption, printMessage});
}
