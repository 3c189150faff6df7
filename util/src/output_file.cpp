// Writing the output of a program that writes one file per input: the steps
// that keep every existing file, the input above all, intact, and leave the
// output name untouched until the new file is complete.
#include "util/fileset.h"
#include "util/uerr.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace {

// Names left by a process that died are skipped over, never reused.
constexpr int kMaxPendingAttempts = 1000;
// Room for the dot, the process number and the counter within NAME_MAX.
constexpr size_t kMaxPendingStem = 200;

bool same_file(const char* a, const char* b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool is_folder(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// "FOLDER/.NAME.PID-N.part": hidden, and telling whose it is when a killed
// program leaves it behind.
std::string pending_name(const std::string& output, unsigned attempt)
{
    const size_t slash = output.rfind('/');
    const std::string folder = output.substr(0, slash + 1);
    const std::string stem = output.substr(slash + 1, kMaxPendingStem);
    return folder + "." + stem + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".part";
}

void forget_path(FILESET* f)
{
    if (f->path != nullptr) {
        ss_free(f->path);
        f->path = nullptr;
    }
    f->path_set = false;
}

} // namespace

void fs_prepare_output(FILESET* f, const char* name, const char* source_path)
{
    if (source_path == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    fs_set_path(f, name, nullptr);
    // The writer takes an existing file's letter case; the backup must look
    // for that same file, or it would be replaced without one.
    fs_fix_case(f);
    const char* path = fs_path(f);
    if (same_file(path, source_path) || is_folder(path)) {
        uerr_raise(kErrFileCannotWrite);
    }
}

void fs_create_pending(FILESET* pending, FILESET* output)
{
    const std::string target = fs_path(output);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < kMaxPendingAttempts; ++attempt) {
        const std::string name = pending_name(target, counter++);
        fs_set_path(pending, name.c_str(), nullptr);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            pending->fd = fd;
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    forget_path(pending);
    // The output is what could not be written, whatever the name tried.
    fs_close(output);
    uerr_raise(kErrFileCannotWrite);
}

void fs_put_in_place(FILESET* pending, FILESET* output)
{
    // On disk before it takes the name, so that a crash cannot leave an
    // empty file where the old one was.
    const bool synced = pending->fd < 0 || fsync(pending->fd) == 0;
    fs_close(pending);
    // Never open: this only makes it the file set that errors name.
    fs_close(output);
    const char* path = fs_path(output);
    if (!synced) {
        uerr_raise(kErrFileCannotWrite);
    }
    STRSET* backup = backup_existing(path);
    if (rename(fs_path(pending), path) != 0) {
        if (backup != nullptr) {
            rename(ss_text(backup), path);
            ss_free(backup);
        }
        uerr_raise(kErrFileCannotWrite);
    }
    if (backup != nullptr) {
        ss_free(backup);
    }
    forget_path(pending);
}

void fs_discard_pending(FILESET* pending)
{
    fs_close(pending);
    if (pending->path_set) {
        unlink(fs_path(pending));
        forget_path(pending);
    }
}

} // namespace util
