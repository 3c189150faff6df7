// A deadline for a program under test, so that a hang fails its own test at
// once instead of holding the whole suite until the runner's time limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>

namespace zem_test {

// Waits until process pid (a child of this process) has ended, without
// reaping it.  When it is still running after `limit` it is killed
// (SIGKILL) and false is returned.
bool endsWithin(pid_t pid, std::chrono::milliseconds limit);

// A whileRunning argument for runProgram: the program fails the running
// test and is killed when it runs past `limit`.
std::function<void(pid_t)> killAfter(std::chrono::milliseconds limit);

} // namespace zem_test
