// The run shared by the command-line tools that take switches and file
// names: every switch word is read first (later ones win), then each file is
// handled in its own error frame, so a failing file does not stop the next.
// A code that no file handler takes ends the run with one message.
#pragma once

#include "util/uerr.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tools {

// caption (the file concerned; null for the program itself) and text.
using ReportFn = void (*)(const char* caption, const char* text);

struct FileRun {
    // Reads all switch words; raises illegalOption for a bad one.
    std::function<void(const std::vector<std::string>& words)> readSwitches;
    // Handles one file word: 0, or -1 after reporting.
    std::function<int32_t(const std::string& word)> handleFile;
    util::ErrCode illegalOption;
    ReportFn report;
    // Called once the switches are read when no word names a file; may be empty.
    std::function<void()> noFiles = {};
};

// A word that holds switches rather than a file name.
bool isSwitchWord(const std::string& word);

// Returns the process exit code: 0 when every file succeeded, else 1.
int runFiles(const std::vector<std::string>& words, const FileRun& run);

// "." and the extension of path's last component; empty when it has none.
std::string extensionOf(const std::string& path);

// path up to the "." of its last component's extension (all of it when
// there is none), then suffix.
std::string replaceExtension(const std::string& path, const std::string& suffix);

// prefix followed by the version label, converted from its stored Shift-JIS
// bytes to UTF-8.
std::string titleWithVersionLabel(const char* prefix);

} // namespace tools
