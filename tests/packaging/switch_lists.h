// What the packaging tests compare: the switches a program's --help lists,
// the switches its manual page describes, and the output of shell commands.
#pragma once

#include <set>
#include <string>

namespace packaging_test {

// The programs that have a manual page and a completion.
inline constexpr const char* kPrograms[] = {"zemc",    "zemcw",   "zem2mid", "zem2midw", "mid2kvt",
                                            "zem2wav", "zemplay", "zemfe",   "qzdecode"};

// The switch names in a usage text: the first word of every indented line
// that begins with "-" ("-S[str]" gives "-S", "--list" gives "--list"), and
// --help and --version, which every program answers.
std::set<std::string> helpSwitches(const std::string& usage);

// The switch names of the OPTIONS section of a manual page's source, one
// per tagged paragraph.
std::set<std::string> manualSwitches(const std::string& page);

// A shell command's standard output and error, and its exit status.
struct ShellResult {
    int status;
    std::string out;
    std::string err;
};
ShellResult runShell(const std::string& command, const std::string& cwd);

} // namespace packaging_test
