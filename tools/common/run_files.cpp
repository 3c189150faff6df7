#include "run_files.h"

#include "platform/text.h"

#include <algorithm>

namespace tools {

namespace {

struct RunState {
    const std::vector<std::string>* words;
    const FileRun* run;
    int32_t combined = 0;
};

intptr_t runBody(void* arg)
{
    RunState& state = *static_cast<RunState*>(arg);
    state.run->readSwitches(*state.words);
    const std::vector<std::string>& words = *state.words;
    if (state.run->noFiles && std::all_of(words.begin(), words.end(), isSwitchWord)) state.run->noFiles();
    for (const std::string& word : *state.words) {
        if (!isSwitchWord(word)) state.combined |= state.run->handleFile(word);
    }
    return 0;
}

intptr_t runHandler(void* arg, util::ErrCode& code)
{
    const FileRun& run = *static_cast<RunState*>(arg)->run;
    if (code != util::kErrReported) {
        const char* text = code == util::kErrCritical  ? "System critical."
                           : code == run.illegalOption ? "Illegal option."
                                                       : util::uerr_name(code);
        run.report(nullptr, text);
    }
    code = util::kErrReported;
    return -1;
}

} // namespace

bool isSwitchWord(const std::string& word) { return !word.empty() && word[0] == '-'; }

int runFiles(const std::vector<std::string>& words, const FileRun& run)
{
    RunState state{&words, &run};
    const intptr_t result = util::uerr_protect(&state, runHandler, runBody, nullptr);
    // The designed exit code ORs the file results (-1, 0x40000) together; its
    // low byte alone could read as success, so any failure exits with 1.
    return result != 0 || state.combined != 0 ? 1 : 0;
}

std::string extensionOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    // A "." in a folder name does not start an extension.
    const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasDot ? path.substr(dot) : std::string();
}

std::string replaceExtension(const std::string& path, const std::string& suffix)
{
    return path.substr(0, path.size() - extensionOf(path).size()) + suffix;
}

std::string titleWithVersionLabel(const char* prefix)
{
    // 乙戌文月版, as the programs have always stored it (code page 932).
    static const char kLabel[] = "\x89\xB3\x9C\xFA\x95\xB6\x8C\x8E\x94\xC5";
    return std::string(prefix) + platform::toUtf8(kLabel, sizeof kLabel - 1, "CP932");
}

} // namespace tools
