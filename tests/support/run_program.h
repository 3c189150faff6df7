// Runs one of the built programs as a child process, the way a user would.
#pragma once

#include <string>
#include <vector>

namespace zem_test {

struct RunResult {
    int status; // the exit code, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs ZEM_BIN_DIR/program with args in the folder cwd, with standard input
// empty.  env adds or replaces variables ("NAME=value"); "NAME=" removes one.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env = {});

} // namespace zem_test
