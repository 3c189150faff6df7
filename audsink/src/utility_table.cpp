#include "utility_table.h"

#include "platform/full_transfer.h"
#include "platform/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace audsink {
namespace {

void* heapAllocate(void*, size_t size) { return std::malloc(size == 0 ? 1 : size); }

void heapFree(void*, void* block) { std::free(block); }

intptr_t fileOpen(void*, const char* name, uint32_t mode)
{
    int flags = 0;
    switch (mode & 3u) {
    case DS8_OPEN_READ: flags |= O_RDONLY; break;
    case DS8_OPEN_WRITE: flags |= O_WRONLY; break;
    case DS8_OPEN_READ | DS8_OPEN_WRITE: flags |= O_RDWR; break;
    default: return -1;
    }
    if (!name) return -1;
    if (mode & DS8_OPEN_CREATE)
        flags |= O_CREAT | ((mode & DS8_OPEN_EXCLUSIVE) ? O_EXCL : O_TRUNC);
    else if (mode & DS8_OPEN_APPEND)
        flags |= O_APPEND;
    return platform::openRegularFile(name, flags, 0666);
}

intptr_t fileInvalid(void*) { return -1; }

int fileIsInvalid(void*, intptr_t handle) { return handle < 0; }

void fileClose(void*, intptr_t handle)
{
    if (handle >= 0) ::close(static_cast<int>(handle));
}

// The runtime's seek is 64-bit here, so every (low, high) pair is an
// offset it can take; nothing needs saturating.
int64_t fileSeek(void*, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (handle < 0 || origin > 2) return -1;
    const auto offset = static_cast<off_t>(static_cast<int64_t>(uint64_t{high} << 32 | low));
    return lseek(static_cast<int>(handle), offset, kWhence[origin]);
}

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

int64_t fileRead(void*, intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    return transfer(handle, static_cast<char*>(buffer), length, flag, ::read);
}

int64_t fileWrite(void*, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag)
{
    return transfer(handle, static_cast<const char*>(buffer), length, flag, ::write);
}

} // namespace

ds8_utility completeUtilityTable(const ds8_utility* table, size_t lengthBytes)
{
    ds8_utility result{};
    if (table) {
        const size_t slots = std::min<size_t>(lengthBytes / sizeof(void*), DS8_UTILITY_SLOTS);
        std::memcpy(&result, table, slots * sizeof(void*));
    }
    if (!result.allocate || !result.free) {
        result.allocate = &heapAllocate;
        result.free = &heapFree;
    }
    if (!result.open || !result.invalid_handle || !result.is_invalid || !result.close || !result.seek || !result.read ||
        !result.write) {
        result.open = &fileOpen;
        result.invalid_handle = &fileInvalid;
        result.is_invalid = &fileIsInvalid;
        result.close = &fileClose;
        result.seek = &fileSeek;
        result.read = &fileRead;
        result.write = &fileWrite;
    }
    return result;
}

} // namespace audsink
