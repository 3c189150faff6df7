// Opening a path without waiting on the way: a FIFO named as an input would
// hold open(2) for ever, waiting for a writer.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace util {

// What the opened path must name.  Inputs are regular files; an output may
// also be a device (/dev/null), never a folder.
enum class OpenTarget { RegularFile, AnyButFolder };

// open(2) of path with flags and mode that never blocks, closed on exec; a
// path naming anything but target is refused with EINVAL.  The descriptor
// then blocks as usual.  Fills *info with the file's status when given.
// -1 on failure, with errno set.
int openWithoutWaiting(const char* path, int flags, mode_t mode, OpenTarget target, struct stat* info = nullptr);

} // namespace util
