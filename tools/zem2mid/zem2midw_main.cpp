// zem2midw: the windowed twin of zem2mid; messages are message boxes (or
// lines on standard error when there is no display), nothing is printed.
#include "convert_file.h"
#include "export_messages.h"

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
    static const std::string text = tools::titleWithVersionLabel(zem2mid::kTitlePrefix);
    return text;
}

void showMessage(const char* caption, const char* text)
{
    platform::show_message(caption && *caption ? caption : zem2mid::kBanner, text, platform::MessageIcon::Stop);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace zem2mid;
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
                               "Exports ZEM images as Standard MIDI Files.\n"
                               "Name the images to export, with optional -L -D -F -M -Z -O switches.",
                               platform::MessageIcon::None);
        return 0;
    }
    ExportSettings settings;
    return tools::runFiles(
        words, tools::FileRun{
                   [&](const std::vector<std::string>& w) { settings = parseSettings(w, TrailingText::IsIllegal); },
                   [&](const std::string& word) { return convertFile(word, settings, showMessage); },
                   kErrIllegalOption, showMessage});
}
