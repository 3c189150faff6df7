#include "tool_program.h"

#include "platform/terminal_text.h"

#include <cstdio>
#include <cstring>

namespace tools {

namespace {

const char* gRunCaption = nullptr;

void printMessage(const char* caption, const char* text)
{
    if (!caption || !*caption) caption = gRunCaption;
    // File names and compiler messages are printed without their control characters.
    const std::string safeText = platform::terminalSafe(text);
    if (caption)
        std::fprintf(stderr, "%s: %s\n", platform::terminalSafe(caption).c_str(), safeText.c_str());
    else
        std::fprintf(stderr, "%s\n", safeText.c_str());
}

} // namespace

int runConsoleProgram(int argc, char** argv, const ToolProgram& program)
{
    std::printf("%s\n", program.banner);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return 0;
    if (argc < 2 || (argc == 2 && std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(program.usage, stdout);
        return 0;
    }
    std::fflush(stdout);
    gRunCaption = program.runCaption;
    const std::vector<std::string> words(argv + 1, argv + argc);
    return runFiles(words,
                    FileRun{[&](const std::vector<std::string>& w) { program.readSwitches(w, TrailingText::EndsWord); },
                            [&](const std::string& word) { return program.handleFile(word, printMessage); },
                            program.illegalOption, printMessage});
}

} // namespace tools
