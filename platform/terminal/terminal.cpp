#include "platform/terminal.h"

#include "platform/full_transfer.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

bool inTerminalForeground(int fd)
{
    if (!::isatty(fd)) return false;
    const pid_t foreground = ::tcgetpgrp(fd);
    return foreground >= 0 && foreground == ::getpgrp();
}

Terminal::~Terminal() { close(); }

bool Terminal::open(const char* overridePath)
{
    close();
    if (overridePath != nullptr && overridePath[0] != '\0') {
        fd_ = ::open(overridePath, O_WRONLY | O_CREAT | O_APPEND | O_NOCTTY | O_CLOEXEC, 0644);
        ownsFd_ = fd_ >= 0;
        return isOpen();
    }
    fd_ = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ >= 0) {
        ownsFd_ = true;
    } else if (isatty(STDOUT_FILENO)) {
        fd_ = STDOUT_FILENO;
        ownsFd_ = false;
    }
    return isOpen();
}

void Terminal::close()
{
    if (ownsFd_) {
        ::close(fd_);
    }
    fd_ = -1;
    ownsFd_ = false;
}

bool Terminal::write(const char* bytes, size_t n)
{
    if (!isOpen()) {
        return false;
    }
    return transferFully(n, [&](size_t done) { return ::write(fd_, bytes + done, n - done); }) == n;
}

bool Terminal::setTitle(const char* title)
{
    std::string escape = "\x1b]0;";
    for (const char* p = title != nullptr ? title : ""; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != 0x7F) {
            escape += static_cast<char>(c);
        }
    }
    escape += '\x07';
    return write(escape.data(), escape.size());
}

bool Terminal::moveTo(int column, int row)
{
    if (column < 0 || row < 0) {
        return false;
    }
    char escape[32];
    int n = std::snprintf(escape, sizeof escape, "\x1b[%d;%dH", row + 1, column + 1);
    return write(escape, static_cast<size_t>(n));
}

bool Terminal::moveBy(int columns, int rows)
{
    if (!isOpen()) {
        return false;
    }
    // CUF, CUB, CUD, CUU: the terminal applies them to wherever the cursor is,
    // so no position has to be queried or tracked.
    char escape[48];
    int n = 0;
    if (columns != 0) {
        n += std::snprintf(escape + n, sizeof escape - static_cast<size_t>(n), "\x1b[%ld%c",
                           columns > 0 ? static_cast<long>(columns) : -static_cast<long>(columns),
                           columns > 0 ? 'C' : 'D');
    }
    if (rows != 0) {
        n += std::snprintf(escape + n, sizeof escape - static_cast<size_t>(n), "\x1b[%ld%c",
                           rows > 0 ? static_cast<long>(rows) : -static_cast<long>(rows), rows > 0 ? 'B' : 'A');
    }
    return write(escape, static_cast<size_t>(n));
}

int Terminal::rows() const
{
    winsize size{};
    if (isOpen() && ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_row > 0) {
        return size.ws_row;
    }
    return kDefaultRows;
}

} // namespace platform
