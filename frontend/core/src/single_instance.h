// One player per user: an advisory lock on ZEMFE_EXCLUSIVE in the user's
// runtime folder, held for the life of the object.
#pragma once

#include <string>

namespace frontend {

class SingleInstance {
public:
    // folder empty: $XDG_RUNTIME_DIR when set, else a folder of this user's
    // own under $TMPDIR (or /tmp), created with mode 0700.
    explicit SingleInstance(const std::string& folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process holds the lock or the file cannot be
    // opened safely (a link, or a folder that is not the user's own).
    bool acquired() const { return fd_ >= 0; }
    // Why the lock file could not be opened, naming it; empty when the lock
    // was taken or another process holds it.
    const std::string& problem() const { return problem_; }

private:
    int fd_ = -1;
    std::string problem_;
};

} // namespace frontend
