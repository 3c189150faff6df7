#include "deadline.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <thread>

namespace zem_test {

bool endsWithin(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        siginfo_t info{};
        // WNOWAIT leaves the child to be reaped by whoever started it.
        if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == pid) return true;
        if (std::chrono::steady_clock::now() >= end) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    return false;
}

std::function<void(pid_t)> killAfter(std::chrono::milliseconds limit)
{
    return [limit](pid_t pid) {
        if (!endsWithin(pid, limit)) ADD_FAILURE() << "the program ran past its deadline of " << limit.count() << " ms";
    };
}

} // namespace zem_test
