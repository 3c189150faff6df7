// zemc: compiles the KVT files named on the command line, messages on the console.
#include "compile_file.h"
#include "driver_codes.h"

#include <run_files.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void printMessage(const char* caption, const char* text)
{
    if (caption && *caption) std::fprintf(stderr, "%s: %s\n", caption, text);
    else std::fprintf(stderr, "%s\n", text);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace zemc_driver;
    std::printf("%s\n", kBanner);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return 0;
    if (argc < 2 || (argc == 2 && std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::fflush(stdout);
    const std::vector<std::string> words(argv + 1, argv + argc);
    Switches switches;
    return tools::runFiles(
        words, tools::FileRun{
                   [&](const std::vector<std::string>& w) { switches = parseSwitches(w, TrailingText::EndsWord); },
                   [&](const std::string& word) { return compileFile(word, switches, printMessage); },
                   kErrIllegalOption, printMessage});
}
