#include "run_program.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zem_test {

RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env, size_t memoryLimit,
                     const std::function<void(pid_t)>& whileRunning)
{
    const TempDir capture;
    const std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
    const std::string binary = std::string(ZEM_BIN_DIR) + "/" + program;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(97);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) _exit(96);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const std::string& setting : env) {
            const size_t eq = setting.find('=');
            const std::string name = setting.substr(0, eq);
            if (eq + 1 == setting.size())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), setting.c_str() + eq + 1, 1);
        }
        if (memoryLimit != 0) {
            const rlimit limit{memoryLimit, memoryLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(98);
    }
    if (whileRunning && pid > 0) whileRunning(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath), readFile(errPath)};
}

} // namespace zem_test

namespace zem_test {

std::string withPath(std::string text, const std::string& path)
{
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, path);
    return text;
}

void expectProgramCase(const TempDir& dir, const ProgramCase& c)
{
    const std::string label = c.program + (c.args.empty() ? "" : " " + c.args[0]);
    std::vector<std::string> listing = dir.listing();
    const RunResult result = runProgram(c.program, c.args, dir.path(), {"DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(result.err, withPath(c.err, dir.path())) << label;
    EXPECT_EQ(result.status, c.status) << label;
    listing.insert(listing.end(), c.created.begin(), c.created.end());
    std::sort(listing.begin(), listing.end());
    EXPECT_EQ(dir.listing(), listing) << label;
}

} // namespace zem_test
