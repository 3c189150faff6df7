// Opening a file that must be a regular one, without waiting on the way.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

// open(2) for a path that must name a regular file.  The open itself never
// blocks (a FIFO named as a sound file would wait for a writer for ever);
// anything but a regular file is refused with EINVAL.  The descriptor then
// blocks as usual and is closed on exec.  -1 on failure, with errno set.
inline int openRegularFile(const char* path, int flags, mode_t mode = 0)
{
    const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) return -1;
    struct stat st {};
    const int status = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int why = S_ISREG(st.st_mode) ? errno : EINVAL;
        ::close(fd);
        errno = why;
        return -1;
    }
    return fd;
}

} // namespace platform
