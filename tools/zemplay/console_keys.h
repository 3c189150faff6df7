// Single key presses from the terminal, without echo, while playing.
#pragma once

#include <termios.h>

namespace zemplay {

class ConsoleKeys {
public:
    // Puts standard input into single-key mode when it is a terminal.
    ConsoleKeys();
    // Restores the terminal.
    ~ConsoleKeys();
    ConsoleKeys(const ConsoleKeys&) = delete;
    ConsoleKeys& operator=(const ConsoleKeys&) = delete;

    // The next key, waiting at most timeoutMs; -1 when none came.
    int next(int timeoutMs);

private:
    bool raw_ = false;
    termios saved_{};
};

} // namespace zemplay
