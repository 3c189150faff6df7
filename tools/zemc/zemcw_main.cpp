// zemcw: the windowed twin of zemc; every message is a message box (or a
// line on standard error when there is no display).
#include "compile_file.h"
#include "driver_codes.h"

#include <platform/message.h>
#include <platform/message_box.h>
#include <run_files.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string& title()
{
    static const std::string text = tools::titleWithVersionLabel(zemc_driver::kTitlePrefix);
    return text;
}

void showMessage(const char* caption, const char* text)
{
    platform::show_message(caption && *caption ? caption : title().c_str(), text, platform::MessageIcon::Stop);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace zemc_driver;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", title().c_str());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    platform::use_message_boxes(argc, argv);
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (std::all_of(words.begin(), words.end(), tools::isSwitchWord)) {
        platform::show_message(title().c_str(),
                               "Compiles KVT music source files into ZEM images.\n"
                               "Name the files to compile, with optional -F and -S switches.",
                               platform::MessageIcon::None);
        return 0;
    }
    Switches switches;
    return tools::runFiles(
        words, tools::FileRun{
                   [&](const std::vector<std::string>& w) { switches = parseSwitches(w, TrailingText::IsIllegal); },
                   [&](const std::string& word) { return compileFile(word, switches, showMessage); },
                   kErrIllegalOption, showMessage});
}
