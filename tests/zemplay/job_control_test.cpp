// zemplay on a terminal as a shell runs it: a foreground job draws its
// status line; a background job (`zemplay song.kvt &`) plays without it and
// is never stopped for touching the terminal.
#include <deadline.h>
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

constexpr int kStopped = 100;  // the job was stopped by the terminal
constexpr int kTimedOut = 101; // the job ran past its deadline

struct JobRun {
    int status = -1; // zemplay's exit code, kStopped or kTimedOut
    std::string screen;
};

// The "shell": owns the terminal, starts zemplay as a job in a process
// group of its own and reports how it ended.
[[noreturn]] void runShell(const std::string& folder, const std::string& score, bool background)
{
    termios modes{};
    ::tcgetattr(STDIN_FILENO, &modes);
    modes.c_lflag &= ~tcflag_t(TOSTOP); // as interactive shells leave it
    ::tcsetattr(STDIN_FILENO, TCSANOW, &modes);
    const pid_t job = ::fork();
    if (job == 0) {
        ::setpgid(0, 0);
        if (!background) {
            // Taking the terminal from a background group needs SIGTTOU held.
            sigset_t ttou, previous;
            sigemptyset(&ttou);
            sigaddset(&ttou, SIGTTOU);
            sigprocmask(SIG_BLOCK, &ttou, &previous);
            ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
            sigprocmask(SIG_SETMASK, &previous, nullptr);
        }
        if (::chdir(folder.c_str()) != 0) _exit(97);
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", (folder + "/sound.raw").c_str(), 1);
        const std::string binary = std::string(ZEM_BIN_DIR) + "/zemplay";
        ::execl(binary.c_str(), binary.c_str(), score.c_str(), static_cast<char*>(nullptr));
        _exit(98);
    }
    ::setpgid(job, job);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(job, &status, WUNTRACED | WNOHANG);
        if (done == job && WIFSTOPPED(status)) {
            ::kill(job, SIGKILL);
            _exit(kStopped);
        }
        if (done == job) _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 99);
        if (std::chrono::steady_clock::now() > end) {
            ::kill(job, SIGKILL);
            _exit(kTimedOut);
        }
        ::usleep(10000);
    }
}

JobRun runAsJob(const zem_test::TempDir& dir, const std::string& score, bool background)
{
    int terminal = -1;
    const pid_t shell = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (shell == 0) runShell(dir.path(), score, background);
    JobRun run;
    if (shell < 0) return run;
    int status = 0;
    for (bool ended = false; !ended;) {
        pollfd out{terminal, POLLIN, 0};
        if (::poll(&out, 1, 50) > 0) {
            char bytes[4096];
            const ssize_t n = ::read(terminal, bytes, sizeof bytes);
            if (n > 0) run.screen.append(bytes, size_t(n));
        }
        ended = ::waitpid(shell, &status, WNOHANG) == shell;
    }
    ::close(terminal);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ZemplayJobControl, OnlyTheForegroundJobDrawsItsStatusLine)
{
    struct JobCase {
        const char* name;
        bool background;
        bool statusLine;
    };
    const JobCase cases[] = {
        {"foreground job", false, true},
        {"background job", true, false},
    };
    const zem_test::TempDir dir;
    dir.write("short.kvt", "#0 T240 l4 c d e f\n");
    for (const JobCase& c : cases) {
        const JobRun run = runAsJob(dir, "short.kvt", c.background);
        EXPECT_EQ(run.status, 0) << c.name << " (" << kStopped << ": stopped, " << kTimedOut << ": hung)\n"
                                 << run.screen;
        EXPECT_EQ(run.screen.find(" BPM ") != std::string::npos, c.statusLine) << c.name << "\n" << run.screen;
    }
}

} // namespace
