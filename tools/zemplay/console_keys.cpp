#include "console_keys.h"

#include "platform/terminal.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

namespace console {

ConsoleKeys::ConsoleKeys()
{
    // A background job leaves the terminal alone: changing its modes would
    // get the job stopped by SIGTTOU.
    if (!platform::inTerminalForeground(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios keys = saved_;
    // Ctrl-C still raises SIGINT (ISIG stays on).
    keys.c_lflag &= ~tcflag_t(ICANON | ECHO);
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    raw_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0;
}

void ConsoleKeys::restore()
{
    if (!raw_) return;
    raw_ = false;
    // The job may have been sent to the background since: with SIGTTOU
    // blocked the terminal is restored instead of the job being stopped.
    sigset_t ttou, previous;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    pthread_sigmask(SIG_BLOCK, &ttou, &previous);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

int ConsoleKeys::next(int timeoutMs)
{
    if (!raw_ || !platform::inTerminalForeground(STDIN_FILENO)) {
        // No terminal of ours: nothing to read, only the wait.
        ::poll(nullptr, 0, timeoutMs);
        return -1;
    }
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, timeoutMs) <= 0) return -1;
    unsigned char c = 0;
    return ::read(STDIN_FILENO, &c, 1) == 1 ? c : -1;
}

} // namespace console
