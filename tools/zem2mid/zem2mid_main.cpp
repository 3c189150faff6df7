// zem2mid: exports the ZEM images named on the command line as MIDI files,
// messages on the console.
#include "convert_file.h"
#include "export_messages.h"

#include <run_files.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void printMessage(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption && *caption ? caption : zem2mid::kBanner, text);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace zem2mid;
    std::printf("%s\n", kBanner);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return 0;
    if (argc < 2 || (argc == 2 && std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fflush(stdout);
    const std::vector<std::string> words(argv + 1, argv + argc);
    ExportSettings settings;
    return tools::runFiles(
        words, tools::FileRun{
                   [&](const std::vector<std::string>& w) { settings = parseSettings(w, TrailingText::EndsWord); },
                   [&](const std::string& word) { return convertFile(word, settings, printMessage); },
                   kErrIllegalOption, printMessage});
}
