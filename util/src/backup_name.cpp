// Backup names for outputs about to be replaced: the old file keeps its
// contents under its name with "_" and its last-write time inserted before
// the extension.
#include "util/fileset.h"
#include "util/uerr.h"

#include "file_time.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace {

// Advancing one second at a time ends long before this; the bound only
// guards against a file system that reports every name as taken.
constexpr int kMaxBackupAttempts = 100000;

bool is_leap(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned days_in_month(unsigned year, unsigned month)
{
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return is_leap(year) ? 29 : 28;
    default: return 31;
    }
}

// The backup of a read-only output stays writable, as the output was when
// it was made; a file of another user, or one that became a link since it
// was looked at, keeps its mode.
void make_own_file_writable(const char* path)
{
    const int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat st;
    const bool ours = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
    const bool failed = ours && (st.st_mode & S_IWUSR) == 0 && fchmod(fd, (st.st_mode & 07777) | S_IWUSR) != 0;
    close(fd);
    if (failed) {
        uerr_raise(kErrFileCannotWrite);
    }
}

} // namespace

DateTime date_normalise(DateTime t)
{
    unsigned second = t.second, minute = t.minute, hour = t.hour;
    unsigned day = t.day == 0 ? 1 : t.day;
    unsigned month = t.month == 0 ? 1 : t.month;
    unsigned year = t.year;
    minute += second / 60;
    second %= 60;
    hour += minute / 60;
    minute %= 60;
    day += hour / 24;
    hour %= 24;
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
    while (day > days_in_month(year, month)) {
        day -= days_in_month(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    DateTime out = t;
    out.year = static_cast<uint16_t>(year);
    out.month = static_cast<uint8_t>(month);
    out.day = static_cast<uint8_t>(day);
    out.hour = static_cast<uint8_t>(hour);
    out.minute = static_cast<uint8_t>(minute);
    out.second = static_cast<uint8_t>(second);
    return out;
}

STRSET* backup_name(const char* output_path, const DateTime& t)
{
    if (output_path == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    // Only a "." in the last component starts the extension; one in a folder
    // name must not split the path.
    std::string path(output_path);
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    if (dot != std::string::npos && slash != std::string::npos && dot < slash) {
        dot = std::string::npos;
    }
    size_t stem_length = dot == std::string::npos ? path.size() : dot;
    STRSET* name = ss_create(nullptr, 0);
    ss_append(name, path.data(), stem_length);
    ss_format(name, "_%04u%02u%02u%02u%02u%02u",
              {uint32_t{t.year}, uint32_t{t.month}, uint32_t{t.day}, uint32_t{t.hour}, uint32_t{t.minute},
               uint32_t{t.second}});
    ss_append(name, path.c_str() + stem_length);
    return name;
}

STRSET* backup_existing(const char* output_path)
{
    if (output_path == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    struct stat st;
    if (lstat(output_path, &st) != 0) {
        return nullptr;
    }
    // A link is renamed as it is; its target (when there is one) gives the
    // time and is never changed.
    struct stat target;
    if (S_ISLNK(st.st_mode) && stat(output_path, &target) == 0) {
        st = target;
    } else {
        make_own_file_writable(output_path);
    }
    DateTime t = local_write_time(st);
    for (int attempt = 0; attempt < kMaxBackupAttempts; ++attempt) {
        STRSET* name = backup_name(output_path, t);
        if (!name_taken(ss_text(name))) {
            // Never replace a backup that appeared since the check.
            int moved = renameat2(AT_FDCWD, output_path, AT_FDCWD, ss_text(name), RENAME_NOREPLACE);
            if (moved != 0 && errno == EINVAL) {
                // A file system without the no-replace flag.
                moved = rename(output_path, ss_text(name));
            }
            if (moved == 0) {
                return name;
            }
            int error = errno;
            if (error != EEXIST) {
                ss_free(name);
                uerr_raise(kErrFileCannotWrite);
            }
        }
        ss_free(name);
        ++t.second;
        t = date_normalise(t);
    }
    uerr_raise(kErrFileCannotWrite);
}

} // namespace util
