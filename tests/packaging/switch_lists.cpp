#include "switch_lists.h"

#include "temp_dir.h"

#include <cctype>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace packaging_test {

namespace {

// "-S..." gives "-S"; "--loudness..." gives "--loudness".
std::string switchName(const std::string& word)
{
    if (word.rfind("--", 0) == 0) {
        static const std::regex kLong("^--[a-z][a-z-]*");
        std::smatch m;
        return std::regex_search(word, m, kLong) ? m.str() : std::string();
    }
    return word.size() >= 2 && std::isalpha(static_cast<unsigned char>(word[1])) ? word.substr(0, 2) : std::string();
}

} // namespace

std::set<std::string> helpSwitches(const std::string& usage)
{
    std::set<std::string> switches{"--help", "--version"};
    static const std::regex kLine(R"(^[ \t]+(-\S+))");
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_search(line, m, kLine)) {
            const std::string name = switchName(m[1].str());
            if (!name.empty()) switches.insert(name);
        }
    }
    return switches;
}

std::set<std::string> manualSwitches(const std::string& page)
{
    std::set<std::string> switches;
    std::istringstream lines(page);
    bool inOptions = false;
    bool tagNext = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(".SH", 0) == 0) inOptions = line == ".SH OPTIONS";
        if (!inOptions) continue;
        if (line == ".TP") {
            tagNext = true;
            continue;
        }
        if (!tagNext) continue;
        tagNext = false;
        // ".BI \-S str" or ".B \-\-help": the tag's first word, "\-" read as "-".
        const std::string text = std::regex_replace(line.substr(line.find(' ') + 1), std::regex(R"(\\-)"), "-");
        switches.insert(switchName(text.substr(0, text.find(' '))));
    }
    return switches;
}

ShellResult runShell(const std::string& command, const std::string& cwd)
{
    const zem_test::TempDir capture;
    const std::string line = "cd '" + cwd + "' && { " + command + " ; } >'" + capture.file("out") + "' 2>'" +
                             capture.file("err") + "' </dev/null";
    const int raw =
        std::system(("/bin/bash -c \"" + std::regex_replace(line, std::regex("[\"$`\\\\]"), "\\$&") + "\"").c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return {status, capture.read("out"), capture.read("err")};
}

} // namespace packaging_test
