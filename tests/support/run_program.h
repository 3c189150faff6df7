// Runs one of the built programs as a child process, the way a user would.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zem_test {

struct RunResult {
    int status; // the exit code, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs ZEM_BIN_DIR/program with args in the folder cwd, with standard input
// empty.  env adds or replaces variables ("NAME=value"); "NAME=" removes one.
// A nonzero memoryLimit caps the program's address space, in bytes.
// whileRunning, when given, is called with the child's id once it started;
// the child is reaped after it returns.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env = {}, size_t memoryLimit = 0,
                     const std::function<void(pid_t)>& whileRunning = {});

} // namespace zem_test

namespace zem_test {

class TempDir;

// text with every "@" replaced by path: how expected messages name the
// folder or file a test made.
std::string withPath(std::string text, const std::string& path);

// One run of a program in a prepared folder and what it must leave behind.
struct ProgramCase {
    std::string program;
    std::vector<std::string> args;
    std::string err; // standard error; "@" stands for the folder's path
    int status;
    std::vector<std::string> created; // names that must appear, nothing else
};

// Runs the case in dir (no display) and checks standard error, the exit
// status and the folder's new listing with GoogleTest expectations.
void expectProgramCase(const TempDir& dir, const ProgramCase& c);

} // namespace zem_test
