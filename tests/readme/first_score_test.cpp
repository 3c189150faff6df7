// The README's first score, run command by command as a reader would type
// it: every step works and the reader's own score is never replaced.
#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// The lines of the first fenced block after `heading` whose fence line is
// `fence`.
std::vector<std::string> fencedBlock(const std::string& text, const std::string& heading, const std::string& fence)
{
    std::istringstream in(text.substr(text.find(heading)));
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (!inside && line == fence) {
            inside = true;
        } else if (inside && line == "```") {
            break;
        } else if (inside) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> words(const std::string& command)
{
    std::istringstream in(command.substr(0, command.find('#')));
    std::vector<std::string> result;
    for (std::string w; in >> w;) result.push_back(w);
    return result;
}

TEST(ReadmeFirstScore, EveryStepWorksAndTheScoreStays)
{
    const std::string readme = zem_test::readFile(README_PATH);
    const std::vector<std::string> score = fencedBlock(readme, "## A first score", "```");
    const std::vector<std::string> commands = fencedBlock(readme, "## A first score", "```sh");
    ASSERT_FALSE(score.empty());
    ASSERT_GE(commands.size(), 5u);
    zem_test::TempDir dir;
    std::string text;
    for (const std::string& line : score) text += line + "\n";
    dir.write("hello.kvt", text);

    for (const std::string& command : commands) {
        std::vector<std::string> w = words(command);
        ASSERT_FALSE(w.empty()) << command;
        // The players and the window need a terminal or a display.
        if (w[0] == "build/bin/zemplay" || w[0] == "build/bin/zemfe") continue;
        if (w[0] == "cp") {
            ASSERT_EQ(w.size(), 3u) << command;
            dir.write(w[2], dir.read(w[1]));
            continue;
        }
        ASSERT_EQ(w[0].rfind("build/bin/", 0), 0u) << command;
        const std::string program = w[0].substr(10);
        const auto result =
            zem_test::runProgram(program, std::vector<std::string>(w.begin() + 1, w.end()), dir.path(), {"DISPLAY="});
        EXPECT_EQ(result.status, 0) << command << "\n" << result.err;
    }
    EXPECT_EQ(dir.read("hello.kvt"), text);
    for (const std::string& name : dir.listing())
        EXPECT_EQ(name.find('_'), std::string::npos) << name << ": something was replaced";
}

} // namespace
