#include "single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace frontend {

namespace {

constexpr const char* kLockName = "ZEMFE_EXCLUSIVE";

// A folder that only this user can write into; empty (and *problem set)
// when there is none.
std::string privateFolder(std::string* problem)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return runtime;
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/zemfe-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    // Someone else's folder (or a link to one) under a shared /tmp would let
    // that user hold the lock for us.
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 022) != 0) {
        *problem = "the lock folder " + folder + " is not a folder of this user's own";
        return {};
    }
    return folder;
}

} // namespace

SingleInstance::SingleInstance(const std::string& folder)
{
    const std::string dir = folder.empty() ? privateFolder(&problem_) : folder;
    if (dir.empty()) return;
    const std::string path = dir + "/" + kLockName;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        // ELOOP is O_NOFOLLOW meeting a link.
        const char* why = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        problem_ = "cannot open the lock file " + path + ": " + why;
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SingleInstance::~SingleInstance()
{
    if (fd_ >= 0) ::close(fd_);
}

} // namespace frontend
