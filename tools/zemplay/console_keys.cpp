#include "console_keys.h"

#include <poll.h>
#include <unistd.h>

namespace zemplay {

ConsoleKeys::ConsoleKeys()
{
    if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios keys = saved_;
    // Ctrl-C still raises SIGINT (ISIG stays on).
    keys.c_lflag &= ~tcflag_t(ICANON | ECHO);
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    raw_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0;
}

ConsoleKeys::~ConsoleKeys()
{
    if (raw_) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
}

int ConsoleKeys::next(int timeoutMs)
{
    if (!raw_) {
        // No terminal: nothing to read, only the wait.
        ::poll(nullptr, 0, timeoutMs);
        return -1;
    }
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, timeoutMs) <= 0) return -1;
    unsigned char c = 0;
    return ::read(STDIN_FILENO, &c, 1) == 1 ? c : -1;
}

} // namespace zemplay
