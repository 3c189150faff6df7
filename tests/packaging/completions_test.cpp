// The bash completions: each program completes the switches its --help
// lists, and the names of the files it reads.
#include "switch_lists.h"

#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using packaging_test::kPrograms;

const std::string kCompletion = std::string(ZEM_SOURCE_DIR) + "/packaging/completions/zem";
const std::string kBashCompletion = "/usr/share/bash-completion/bash_completion";

// What bash offers after "program word" (the word being completed), one
// candidate a line, sorted.
std::set<std::string> complete(const std::string& program, const std::string& before, const std::string& word,
                               const std::string& cwd)
{
    const std::string line = program + " " + (before.empty() ? "" : before + " ") + word;
    const std::string script =
        "source " + kBashCompletion + "; source " + kCompletion + "; PATH=" + ZEM_BIN_DIR + ":$PATH; COMP_LINE='" +
        line + "'; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<< '" + line + "'; [[ '" + word +
        "' == '' ]] && COMP_WORDS+=(''); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _zem " + program + " '" + word +
        "' \"${COMP_WORDS[COMP_CWORD-1]}\"; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const auto result = packaging_test::runShell(script, cwd);
    EXPECT_EQ(result.status, 0) << result.err;
    std::set<std::string> candidates;
    std::istringstream lines(result.out);
    for (std::string candidate; std::getline(lines, candidate);)
        if (!candidate.empty()) candidates.insert(candidate);
    return candidates;
}

TEST(Completions, SwitchesAreThoseOfHelp)
{
    const zem_test::TempDir dir;
    for (const char* program : kPrograms) {
        SCOPED_TRACE(program);
        const auto help = zem_test::runProgram(program, {"--help"}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
        EXPECT_EQ(complete(program, "", "-", dir.path()), packaging_test::helpSwitches(help.out + help.err));
    }
}

struct FileCase {
    const char* program;
    const char* before; // the words before the one completed
    std::set<std::string> offered;
};

TEST(Completions, FilesOfTheKindEachProgramReads)
{
    const zem_test::TempDir dir;
    for (const char* name : {"song.kvt", "SONG2.KVT", "song.zem", "tune.mid", "voice.wav", "notes.txt", "qzwav.so"})
        dir.write(name, "");
    const FileCase cases[] = {
        {"zemc", "", {"song.kvt", "SONG2.KVT"}},
        {"zem2mid", "-L3", {"song.zem"}},
        {"zem2wav", "", {"song.kvt", "SONG2.KVT", "song.zem", "tune.mid"}},
        {"zem2wav", "-o", {"voice.wav"}},
        {"zemplay", "", {"song.kvt", "SONG2.KVT", "song.zem", "tune.mid"}},
        {"zemfe", "", {"song.kvt", "SONG2.KVT", "song.zem", "tune.mid"}},
        {"mid2kvt", "", {"tune.mid"}},
        {"qzdecode", "", {"voice.wav"}},
        {"qzdecode", "voice.wav", {"qzwav.so"}},
        {"zemplay", "-L", {}},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.before);
        EXPECT_EQ(complete(c.program, c.before, "", dir.path()), c.offered);
    }
}

} // namespace
