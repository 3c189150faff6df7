// The main functions of the switch-and-file tools: the console form prints
// its banner and its messages on the terminal, the windowed form shows
// message boxes (or standard-error lines without a display).  Both answer
// --help and --version.
#pragma once

#include "run_files.h"
#include "switch_words.h"

#include <functional>
#include <string>
#include <vector>

namespace tools {

struct ToolProgram {
    const char* banner;      // printed first by the console form
    const char* titlePrefix; // the windowed title: this and the version label
    const char* usage;       // printed with no argument (console) or --help
    const char* notice;      // shown by the windowed form when no file is named
    // Caption of messages about the run itself; null: none (console) or the
    // title (windowed).
    const char* runCaption;
    util::ErrCode illegalOption;
    std::function<void(const std::vector<std::string>& words, TrailingText trailing)> readSwitches;
    std::function<int32_t(const std::string& word, ReportFn report)> handleFile;
    // The console form only: takes the options that stand as words of their
    // own (option_words.h) out of the words before anything else; returns the
    // message of a bad one, which ends the program with status 1.
    std::function<std::string(std::vector<std::string>& words)> takeOptions = {};
};

int runConsoleProgram(int argc, char** argv, const ToolProgram& program);
int runWindowedProgram(int argc, char** argv, const ToolProgram& program);

} // namespace tools
