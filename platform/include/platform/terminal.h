// The controlling terminal as an output device: bytes, the window title,
// cursor moves and the row count, all by escape sequences (xterm title,
// ANSI cursor positioning), so it works on any terminal emulator.
#pragma once

#include <cstddef>

namespace platform {

// True when fd is a terminal and this process is in its foreground process
// group: only then may it change the terminal's modes or draw on it without
// the shell stopping it (SIGTTOU, SIGTTIN) as a background job.
bool inTerminalForeground(int fd);

class Terminal {
public:
    // Rows assumed when the size cannot be read (a file, a pipe).
    static constexpr int kDefaultRows = 24;

    Terminal() = default;
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Opens the output: overridePath when not null or empty (created when
    // missing, written at its end: a log file or another terminal such as
    // /dev/pts/3), else the controlling terminal /dev/tty, else standard
    // output when that is a terminal.  False when there is none.  Opening an
    // open terminal closes it first.
    bool open(const char* overridePath);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // False when closed or when not every byte could be written.
    bool write(const char* bytes, size_t n);
    // Control characters in title are dropped so it cannot end the escape.
    bool setTitle(const char* title);
    // Column and row count from 0 at the top left; negative values fail.
    bool moveTo(int column, int row);
    // Right and down for positive counts, left and up for negative ones; the
    // terminal stops the cursor at its edges.  A move by (0, 0) writes nothing.
    bool moveBy(int columns, int rows);
    // The terminal's height in rows (kDefaultRows when unknown).
    int rows() const;

private:
    int fd_ = -1;
    bool ownsFd_ = false;
};

} // namespace platform
