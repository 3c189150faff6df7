// Single key presses from the terminal, without echo, while playing; only
// a job in the terminal's foreground touches its modes.
#pragma once

#include <termios.h>

namespace console {

class ConsoleKeys {
public:
    // Puts standard input into single-key mode when it is a terminal.
    ConsoleKeys();
    // Restores the terminal.
    ~ConsoleKeys() { restore(); }
    ConsoleKeys(const ConsoleKeys&) = delete;
    ConsoleKeys& operator=(const ConsoleKeys&) = delete;

    // The next key, waiting at most timeoutMs; -1 when none came.
    int next(int timeoutMs);
    // Gives the terminal its modes back (also when the job has gone to the
    // background); no more keys are read after it.
    void restore();

private:
    bool raw_ = false;
    termios saved_{};
};

} // namespace console
