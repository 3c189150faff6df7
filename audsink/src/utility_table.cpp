#include "utility_table.h"

#include "decoder_plugins/posix_file_host.h"

#include <algorithm>
#include <cstring>

namespace audsink {
namespace {

// The stream library's open bits are the decoder contract's.
static_assert(DS8_OPEN_READ == DW_OPEN_READ && DS8_OPEN_WRITE == DW_OPEN_WRITE && DS8_OPEN_CREATE == DW_OPEN_CREATE &&
              DS8_OPEN_EXCLUSIVE == DW_OPEN_EXCLUSIVE && DS8_OPEN_APPEND == DW_OPEN_APPEND);

using namespace decoder_plugins;

void* heapAllocate(void*, size_t size) { return posixAllocate(size); }
void heapFree(void*, void* block) { posixFree(block); }
intptr_t fileOpen(void*, const char* name, uint32_t mode) { return posixOpen(name, mode); }
intptr_t fileInvalid(void*) { return -1; }
int fileIsInvalid(void*, intptr_t handle) { return handle < 0; }
void fileClose(void*, intptr_t handle) { posixClose(handle); }
int64_t fileSeek(void*, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    return posixSeek(handle, low, high, origin);
}
int64_t fileRead(void*, intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    return posixRead(handle, buffer, length, flag);
}
int64_t fileWrite(void*, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag)
{
    return posixWrite(handle, buffer, length, flag);
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
