// Watching a windowed program on the test's X display.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace windowed_test {

// Until the child pid ends: records the title of each top-level window it
// shows and closes the window as a user would (the window manager's close
// request); kills the child when it is still running after timeoutMs.
// Returns the titles in the order the windows appeared.
std::vector<std::string> closeWindowsUntilExit(pid_t pid, int timeoutMs);

} // namespace windowed_test
