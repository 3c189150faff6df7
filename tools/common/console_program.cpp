#include "tool_program.h"

#include "platform/terminal_text.h"

#include <cstdio>

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
    std::vector<std::string> words(argv + 1, argv + argc);
    if (program.takeOptions) {
        const std::string misuse = program.takeOptions(words);
        if (!misuse.empty()) {
            std::fprintf(stderr, "%s\n", misuse.c_str());
            return 1;
        }
    }
    std::printf("%s\n", program.banner);
    if (words.size() == 1 && words[0] == "--version") return 0;
    if (words.empty() || (words.size() == 1 && words[0] == "--help")) {
        std::fputs(program.usage, stdout);
        return 0;
    }
    std::fflush(stdout);
    gRunCaption = program.runCaption;
    return runFiles(words,
                    FileRun{[&](const std::vector<std::string>& w) { program.readSwitches(w, TrailingText::EndsWord); },
                            [&](const std::string& word) { return program.handleFile(word, printMessage); },
                            program.illegalOption, printMessage});
}

} // namespace tools
