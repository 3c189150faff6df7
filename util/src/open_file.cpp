#include "util/open_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace util {

int openWithoutWaiting(const char* path, int flags, mode_t mode, OpenTarget target, struct stat* info)
{
    const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) return -1;
    struct stat st {};
    const bool known = fstat(fd, &st) == 0;
    const bool wanted = known && (target == OpenTarget::RegularFile ? S_ISREG(st.st_mode) : !S_ISDIR(st.st_mode));
    const int status = fcntl(fd, F_GETFL);
    if (!wanted || status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int why = known && !wanted ? EINVAL : errno;
        ::close(fd);
        errno = why;
        return -1;
    }
    if (info) *info = st;
    return fd;
}

} // namespace util
