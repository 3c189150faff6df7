#include "file_host.h"

#include "platform/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace {

void* hostAlloc(const dw_host*, size_t size) { return std::malloc(size == 0 ? 1 : size); }

void hostFree(const dw_host*, void* block) { std::free(block); }

int openFlags(uint32_t mode)
{
    int flags = 0;
    switch (mode & 3u) {
    case DW_OPEN_READ: flags |= O_RDONLY; break;
    case DW_OPEN_WRITE: flags |= O_WRONLY; break;
    default: flags |= O_RDWR; break;
    }
    if (mode & DW_OPEN_CREATE)
        flags |= O_CREAT | ((mode & DW_OPEN_EXCLUSIVE) ? O_EXCL : O_TRUNC);
    else if (mode & DW_OPEN_APPEND)
        flags |= O_APPEND;
    return flags;
}

intptr_t hostOpen(const dw_host*, const char* name, uint32_t mode)
{
    if (!name || (mode & 3u) == 0) return -1;
    return platform::openRegularFile(name, openFlags(mode), 0644);
}

intptr_t hostInvalid(const dw_host*) { return -1; }

int hostIsInvalid(const dw_host*, intptr_t handle) { return handle < 0; }

void hostClose(const dw_host*, intptr_t handle)
{
    if (handle >= 0) ::close(static_cast<int>(handle));
}

int64_t hostSeek(const dw_host*, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (handle < 0 || origin > DW_SEEK_END) return -1;
    auto offset = static_cast<off_t>(static_cast<int64_t>(uint64_t{high} << 32 | low));
    return lseek(static_cast<int>(handle), offset, whence[origin]);
}

int64_t hostRead(const dw_host*, intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    if (handle < 0 || flag != 0 || length < 0) return 0;
    ssize_t got = ::read(static_cast<int>(handle), buffer, static_cast<size_t>(length));
    return got < 0 ? 0 : got;
}

int64_t hostWrite(const dw_host*, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag)
{
    if (handle < 0 || flag != 0 || length < 0) return 0;
    ssize_t put = ::write(static_cast<int>(handle), buffer, static_cast<size_t>(length));
    return put < 0 ? 0 : put;
}

const dw_host kFileHost = {&hostAlloc, &hostFree, &hostOpen, &hostInvalid, &hostIsInvalid,
                           &hostClose, &hostSeek, &hostRead, &hostWrite};

} // namespace

const dw_host* fileHostTable() { return &kFileHost; }
