// Local-time views of file modification times, shared by the file object
// and the backup naming.
#pragma once

#include "util/fileset.h"

#include <sys/stat.h>

namespace util {

// The modification time of st in local time, to the millisecond.
DateTime local_write_time(const struct stat& st);

// True when something (file, folder, dangling link) has this name.
bool name_taken(const char* path);

} // namespace util
