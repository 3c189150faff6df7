// Preparing the output of a program that writes one file per input: the
// steps that keep every existing file, the input above all, intact.
#include "util/fileset.h"
#include "util/uerr.h"

#include <sys/stat.h>

namespace util {
namespace {

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
    if (STRSET* backup = backup_existing(path)) {
        ss_free(backup);
    }
}

} // namespace util
