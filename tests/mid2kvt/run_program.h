// Runs a built program in a folder and collects its exit status and output.
#pragma once

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace mid2kvt_test {

struct RunResult {
    int status; // exit status, -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string read_text(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// program: a path; args: the words after it.  Output is captured through
// two files in `dir` that are removed again.  A nonzero memory_limit caps
// the program's address space (bytes).
inline RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& dir, rlim_t memory_limit = 0)
{
    const std::filesystem::path out = dir / ".stdout", err = dir / ".stderr";
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(99);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(o, 1);
        dup2(e, 2);
        if (memory_limit != 0) {
            const rlimit limit{memory_limit, memory_limit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(98);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    RunResult r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_text(out), read_text(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

} // namespace mid2kvt_test
