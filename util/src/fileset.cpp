// FILESET: a file object with a full path, a software position and two
// memory windows over the file's contents.
#include "util/fileset.h"

#include "util/memblock.h"
#include "util/open_file.h"
#include "util/uerr.h"

#include "file_time.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace {

FILESET* g_current = nullptr;
constexpr uint32_t kPatternsPerChunk = 256;

FILESET* enter(FILESET* f)
{
    g_current = f;
    if (f == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    return f;
}

void release_window(FileWindow& w)
{
    if (w.data != nullptr) {
        mb_free(w.data);
    }
    w = FileWindow{nullptr, 0, 0, 0};
}

void release_windows(FILESET* f)
{
    for (FileWindow& w : f->windows) {
        release_window(w);
    }
    f->last_window = 0;
}

void release_text(STRSET*& s)
{
    if (s != nullptr) {
        ss_free(s);
        s = nullptr;
    }
}

void close_handle(FILESET* f)
{
    if (f->fd >= 0) {
        ::close(f->fd);
        f->fd = -1;
    }
}

void clear(FILESET* f)
{
    close_handle(f);
    release_text(f->path);
    release_text(f->second);
    release_windows(f);
    f->last_write = DateTime{};
    f->last_write_known = false;
    f->path_set = false;
    f->size = 0;
    f->position = 0;
}

bool ends_with(const STRSET* s, char c)
{
    uint32_t n = ss_length(s);
    return n > 0 && ss_text(s)[n - 1] == c;
}

// A name written with trailing dots means the name without them, as on the
// systems where the dots mark "no extension"; a name of dots alone stays.
void strip_trailing_dots(STRSET* path)
{
    const char* text = ss_text(path);
    uint32_t end = ss_length(path);
    while (end > 0 && text[end - 1] == '.') {
        --end;
    }
    if (end > 0 && text[end - 1] != '/') {
        ss_truncate(path, end);
    }
}

void require_path(const FILESET* f)
{
    if (!f->path_set) {
        uerr_raise(kErrFilesetEmpty);
    }
}

// Keeps every window that covers part of [offset, offset + n) equal to the file.
void mirror_into_windows(FILESET* f, uint32_t offset, const uint8_t* bytes, size_t n)
{
    uint64_t write_end = uint64_t{offset} + n;
    for (FileWindow& w : f->windows) {
        if (w.data == nullptr) {
            continue;
        }
        uint64_t from = offset > w.offset ? offset : w.offset;
        uint64_t window_end = uint64_t{w.offset} + w.valid;
        uint64_t to = write_end < window_end ? write_end : window_end;
        if (from < to) {
            std::memcpy(w.data + (from - w.offset), bytes + (from - offset), to - from);
        }
    }
}

void write_at_position(FILESET* f, const uint8_t* bytes, size_t n)
{
    if (f->fd < 0) {
        uerr_raise(kErrFileNotOpen);
    }
    if (n > UINT32_MAX - f->position) {
        uerr_raise(kErrFileCannotWrite);
    }
    size_t done = 0;
    while (done < n) {
        ssize_t written = pwrite(f->fd, bytes + done, n - done, static_cast<off_t>(f->position + done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            uerr_raise(kErrFileCannotWrite);
        }
        done += static_cast<size_t>(written);
    }
    mirror_into_windows(f, f->position, bytes, n);
    f->position += static_cast<uint32_t>(n);
    if (f->position > f->size) {
        f->size = f->position;
    }
}

bool read_fully(int fd, uint8_t* bytes, size_t n)
{
    size_t done = 0;
    while (done < n) {
        ssize_t got = pread(fd, bytes + done, n - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

int open_flags(FileMode mode)
{
    switch (mode) {
    case FileMode::Read: return O_RDONLY;
    case FileMode::ReadWrite: return O_RDWR;
    case FileMode::Write:
    case FileMode::Append: return O_WRONLY;
    }
    return O_RDONLY;
}

} // namespace

FILESET* fs_create()
{
    auto* f = static_cast<FILESET*>(mb_alloc_zero(sizeof(FILESET)));
    f->fd = -1;
    return f;
}

void fs_free(FILESET* f)
{
    enter(f);
    clear(f);
    mb_free(f);
    g_current = nullptr;
}

void fs_set_path(FILESET* f, const char* name, const char* default_ext)
{
    enter(f);
    clear(f);
    if (name == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    if (name[0] == '\0') {
        uerr_raise(kErrFilesetParam);
    }
    STRSET* full = path_full(name);
    if (ends_with(full, '/')) {
        ss_free(full);
        uerr_raise(kErrFilesetParam);
    }
    if (ends_with(full, '.')) {
        strip_trailing_dots(full);
    } else if (default_ext != nullptr && default_ext[0] != '\0' &&
               ss_last_index(full, '.', 0) < ss_last_index(full, '/', 0)) {
        ss_append(full, '.');
        ss_append(full, default_ext);
        if (ss_length(full) >= PATH_MAX) {
            ss_free(full);
            uerr_raise(kErrFilesetParam);
        }
    }
    f->path = full;
    f->path_set = true;
}

void fs_fix_case(FILESET* f)
{
    enter(f);
    require_path(f);
    STRSET* fixed = path_fix_case(ss_text(f->path));
    ss_free(f->path);
    f->path = fixed;
}

void fs_create_file(FILESET* f, unsigned permission)
{
    enter(f);
    require_path(f);
    if (f->fd >= 0) {
        uerr_raise(kErrFileStillOpen);
    }
    mode_t mode = (permission & 0x80) != 0 ? 0666 : 0444;
    int fd = ::open(ss_text(f->path), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        uerr_raise(kErrFileCannotWrite);
    }
    ::close(fd);
}

void fs_open(FILESET* f, FileMode mode)
{
    enter(f);
    require_path(f);
    if (f->fd >= 0) {
        return;
    }
    release_windows(f);
    struct stat st;
    if (!f->last_write_known) {
        if (stat(ss_text(f->path), &st) != 0) {
            uerr_raise(kErrFileNotFound);
        }
        f->last_write = local_write_time(st);
        f->last_write_known = true;
    }
    const OpenTarget target = mode == FileMode::Read ? OpenTarget::RegularFile : OpenTarget::AnyButFolder;
    const int fd = openWithoutWaiting(ss_text(f->path), open_flags(mode), 0, target, &st);
    if (fd < 0) {
        uerr_raise(kErrFileNotFound);
    }
    if (st.st_size > static_cast<off_t>(UINT32_MAX)) {
        ::close(fd);
        uerr_raise(kErrFileCannotRead);
    }
    f->fd = fd;
    f->size = static_cast<uint32_t>(st.st_size);
    f->position = mode == FileMode::Append ? f->size : 0;
}

void fs_close(FILESET* f)
{
    enter(f);
    close_handle(f);
}

uint32_t fs_seek(FILESET* f, int64_t offset, int whence)
{
    enter(f);
    int64_t base;
    switch (whence) {
    case 0: base = 0; break;
    case 1: base = f->position; break;
    case 2: base = f->size; break;
    default: return f->position;
    }
    int64_t target = base + offset;
    if (target < 0) {
        target = 0;
    } else if (target > int64_t{UINT32_MAX}) {
        target = UINT32_MAX;
    }
    f->position = static_cast<uint32_t>(target);
    return f->position;
}

void fs_write(FILESET* f, const void* bytes, size_t n)
{
    enter(f);
    if (bytes == nullptr && n > 0) {
        uerr_raise(kErrNullArgument);
    }
    write_at_position(f, static_cast<const uint8_t*>(bytes), n);
}

void fs_write_byte(FILESET* f, uint8_t b)
{
    enter(f);
    write_at_position(f, &b, 1);
}

void fs_write_word(FILESET* f, uint16_t w)
{
    enter(f);
    const uint8_t bytes[2] = {static_cast<uint8_t>(w & 0xFF), static_cast<uint8_t>(w >> 8)};
    write_at_position(f, bytes, sizeof bytes);
}

void fs_write_pattern32(FILESET* f, uint32_t pattern, uint32_t count)
{
    enter(f);
    uint8_t chunk[kPatternsPerChunk * 4];
    for (uint32_t i = 0; i < kPatternsPerChunk; ++i) {
        for (unsigned b = 0; b < 4; ++b) {
            chunk[i * 4 + b] = static_cast<uint8_t>(pattern >> (8 * b));
        }
    }
    if (uint64_t{count} * 4 > UINT32_MAX - uint64_t{f->position}) {
        uerr_raise(kErrFileCannotWrite);
    }
    while (count > 0) {
        uint32_t now = count < kPatternsPerChunk ? count : kPatternsPerChunk;
        write_at_position(f, chunk, size_t{now} * 4);
        count -= now;
    }
}

const uint8_t* fs_load(FILESET* f, uint32_t* size)
{
    enter(f);
    for (uint8_t i = 0; i < 2; ++i) {
        const FileWindow& w = f->windows[i];
        if (w.data != nullptr && w.offset == 0 && w.valid == f->size) {
            f->last_window = i;
            if (size != nullptr) {
                *size = f->size;
            }
            return w.data;
        }
    }
    if (f->fd < 0) {
        uerr_raise(kErrFileNotOpen);
    }
    uint8_t index = f->windows[0].data == nullptr ? 0 : f->windows[1].data == nullptr ? 1 : f->last_window ^ 1;
    FileWindow& w = f->windows[index];
    release_window(w);
    uint8_t* data;
    try {
        data = static_cast<uint8_t*>(mb_alloc(f->size));
    } catch (const UerrRaised&) {
        uerr_raise(kErrFileCannotRead);
    }
    if (!read_fully(f->fd, data, f->size)) {
        mb_free(data);
        uerr_raise(kErrFileCannotRead);
    }
    w = FileWindow{data, 0, f->size, f->size};
    f->last_window = index;
    if (size != nullptr) {
        *size = f->size;
    }
    return data;
}

const char* fs_path(const FILESET* f)
{
    if (f == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    return f->path != nullptr ? ss_text(f->path) : "";
}

bool fs_exists(const FILESET* f)
{
    if (f == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    struct stat st;
    return f->path_set && stat(ss_text(f->path), &st) == 0;
}

FILESET* fs_current() { return g_current; }

} // namespace util
