#include "decoder_plugins/posix_file_host.h"

#include "platform/full_transfer.h"
#include "util/open_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace decoder_plugins {

namespace {

// Reads or writes until the whole length moved, the file ended or an error
// came; returns what moved.
template <typename Byte, typename Call>
int64_t transfer(intptr_t handle, Byte* bytes, intptr_t length, uint32_t flag, Call call)
{
    if (handle < 0 || flag != 0 || length < 0 || (!bytes && length > 0)) return 0;
    const auto n = static_cast<size_t>(length);
    return static_cast<int64_t>(platform::transferFully(
        n, [&](size_t done) { return call(static_cast<int>(handle), bytes + done, n - done); }));
}

const dw_host kPosixHost = {
    [](const dw_host*, size_t size) { return posixAllocate(size); },
    [](const dw_host*, void* block) { posixFree(block); },
    [](const dw_host*, const char* name, uint32_t mode) { return posixOpen(name, mode); },
    [](const dw_host*) { return intptr_t{-1}; },
    [](const dw_host*, intptr_t handle) { return int{handle < 0}; },
    [](const dw_host*, intptr_t handle) { posixClose(handle); },
    [](const dw_host*, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin) {
        return posixSeek(handle, low, high, origin);
    },
    [](const dw_host*, intptr_t handle, void* buffer, intptr_t length, uint32_t flag) {
        return posixRead(handle, buffer, length, flag);
    },
    [](const dw_host*, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag) {
        return posixWrite(handle, buffer, length, flag);
    },
};

} // namespace

void* posixAllocate(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void posixFree(void* block) { std::free(block); }

intptr_t posixOpen(const char* name, uint32_t mode)
{
    int flags = 0;
    switch (mode & 3u) {
    case DW_OPEN_READ: flags |= O_RDONLY; break;
    case DW_OPEN_WRITE: flags |= O_WRONLY; break;
    case DW_OPEN_READ | DW_OPEN_WRITE: flags |= O_RDWR; break;
    default: return -1;
    }
    if (!name) return -1;
    if (mode & DW_OPEN_CREATE)
        flags |= O_CREAT | ((mode & DW_OPEN_EXCLUSIVE) ? O_EXCL : O_TRUNC);
    else if (mode & DW_OPEN_APPEND)
        flags |= O_APPEND;
    return util::openWithoutWaiting(name, flags, 0666, util::OpenTarget::RegularFile);
}

void posixClose(intptr_t handle)
{
    if (handle >= 0) ::close(static_cast<int>(handle));
}

// The runtime's seek is 64-bit here, so every (low, high) pair is an
// offset it can take; nothing needs saturating.
int64_t posixSeek(intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (handle < 0 || origin > DW_SEEK_END) return -1;
    const auto offset = static_cast<off_t>(static_cast<int64_t>(uint64_t{high} << 32 | low));
    return lseek(static_cast<int>(handle), offset, kWhence[origin]);
}

int64_t posixRead(intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    return transfer(handle, static_cast<char*>(buffer), length, flag, ::read);
}

int64_t posixWrite(intptr_t handle, const void* buffer, intptr_t length, uint32_t flag)
{
    return transfer(handle, static_cast<const char*>(buffer), length, flag, ::write);
}

const dw_host* posixFileHost() { return &kPosixHost; }

} // namespace decoder_plugins
