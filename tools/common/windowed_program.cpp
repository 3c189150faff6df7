#include "tool_program.h"

#include "platform/message.h"
#include "platform/message_box.h"

#include <cstdio>
#include <cstring>

namespace tools {

namespace {

std::string gTitle;
const char* gRunCaption = nullptr;

void showMessage(const char* caption, const char* text)
{
    if (!caption || !*caption) caption = gRunCaption ? gRunCaption : gTitle.c_str();
    platform::showMessage(caption, text, platform::MessageIcon::Stop);
}

} // namespace

int runWindowedProgram(int argc, char** argv, const ToolProgram& program)
{
    gTitle = titleWithVersionLabel(program.titlePrefix);
    gRunCaption = program.runCaption;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", gTitle.c_str());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(program.usage, stdout);
        return 0;
    }
    const platform::MessageBoxes boxes(argv[0]);
    const std::vector<std::string> words(argv + 1, argv + argc);
    // The notice follows the switches, so that a bad one is still reported.
    return runFiles(
        words, FileRun{[&](const std::vector<std::string>& w) { program.readSwitches(w, TrailingText::IsIllegal); },
                       [&](const std::string& word) { return program.handleFile(word, showMessage); },
                       program.illegalOption, showMessage,
                       [&] { platform::showMessage(gTitle.c_str(), program.notice, platform::MessageIcon::None); }});
}

} // namespace tools
