// Tracked memory blocks.
//
// Layout of one block: [record pointer: 8][signature "MAMN": 4][pad: 4][data].
// Live blocks are indexed by their data pointer, and a pointer is validated
// against that index before its header is read: a block that was already
// freed, or memory that never was a block, is reported as clashed without
// touching memory the library does not own.
#include "util/memblock.h"

#include "util/uerr.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace util {
namespace {

constexpr size_t kHeaderBytes = 16;
constexpr size_t kRecordPointerOffset = 0;
constexpr size_t kSignatureOffset = 8;
constexpr uint8_t kSignature[4] = {0x4D, 0x41, 0x4D, 0x4E}; // "MAMN"
// Each live block counts its data plus a fixed share for header and record.
constexpr size_t kAccountedOverhead = 32;

struct Record {
    uint8_t* block;
    size_t size; // data size + header
    uint32_t lock_count;
};

struct BlockList {
    std::mutex busy;
    std::unordered_map<const void*, Record*> live;
    size_t total_bytes = 0;
};

// Never destroyed: blocks may still be freed by other static destructors.
BlockList& blocks()
{
    static BlockList* list = new BlockList;
    return *list;
}

void write_header(uint8_t* block, Record* record)
{
    uintptr_t bits = reinterpret_cast<uintptr_t>(record);
    std::memcpy(block + kRecordPointerOffset, &bits, sizeof bits);
    std::memcpy(block + kSignatureOffset, kSignature, sizeof kSignature);
    std::memset(block + kSignatureOffset + sizeof kSignature, 0, kHeaderBytes - kSignatureOffset - sizeof kSignature);
}

// The record of a live block; raises instead of returning on any mismatch.
// The caller holds the busy lock.
Record* validate(BlockList& list, const void* p)
{
    if (p == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    auto found = list.live.find(p);
    if (found == list.live.end()) {
        uerr_raise(kErrMemblockClashed);
    }
    Record* record = found->second;
    const uint8_t* block = static_cast<const uint8_t*>(p) - kHeaderBytes;
    uintptr_t bits;
    std::memcpy(&bits, block + kRecordPointerOffset, sizeof bits);
    if (bits != reinterpret_cast<uintptr_t>(record) || record->block != block ||
        std::memcmp(block + kSignatureOffset, kSignature, sizeof kSignature) != 0) {
        uerr_raise(kErrMemblockClashed);
    }
    return record;
}

void* allocate(size_t n, bool zeroed)
{
    if (n > SIZE_MAX - kAccountedOverhead) {
        uerr_raise(kErrOutOfMemory);
    }
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    auto* record = static_cast<Record*>(std::malloc(sizeof(Record)));
    auto* block = static_cast<uint8_t*>(std::malloc(n + kHeaderBytes));
    if (record == nullptr || block == nullptr) {
        std::free(record);
        std::free(block);
        uerr_raise(kErrOutOfMemory);
    }
    *record = Record{block, n + kHeaderBytes, 0};
    write_header(block, record);
    uint8_t* data = block + kHeaderBytes;
    if (zeroed) {
        std::memset(data, 0, n);
    }
    list.live.emplace(data, record);
    list.total_bytes += n + kAccountedOverhead;
    return data;
}

void check_unlocked(const Record* record)
{
    if (record->lock_count != 0) {
        uerr_raise(kErrMemblockLocked);
    }
}

} // namespace

void* mb_alloc(size_t n) { return allocate(n, false); }

void* mb_alloc_zero(size_t n) { return allocate(n, true); }

void* mb_realloc(void* p, size_t n)
{
    if (n > SIZE_MAX - kAccountedOverhead) {
        uerr_raise(kErrOutOfMemory);
    }
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    Record* record = validate(list, p);
    check_unlocked(record);
    auto* block = static_cast<uint8_t*>(std::malloc(n + kHeaderBytes));
    if (block == nullptr) {
        // The old block stays valid and owned by the caller.
        uerr_raise(kErrOutOfMemory);
    }
    size_t old_size = record->size - kHeaderBytes;
    uint8_t* data = block + kHeaderBytes;
    std::memcpy(data, p, old_size < n ? old_size : n);
    write_header(block, record);
    std::free(record->block);
    list.live.erase(p);
    list.live.emplace(data, record);
    list.total_bytes = list.total_bytes - old_size + n;
    record->block = block;
    record->size = n + kHeaderBytes;
    return data;
}

void mb_free(void* p)
{
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    Record* record = validate(list, p);
    check_unlocked(record);
    list.live.erase(p);
    list.total_bytes -= record->size - kHeaderBytes + kAccountedOverhead;
    // Wipe the signature so that a stale copy of the header cannot pass as live.
    std::memset(record->block, 0, kHeaderBytes);
    std::free(record->block);
    std::free(record);
}

size_t mb_size(const void* p)
{
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    return validate(list, p)->size - kHeaderBytes;
}

void mb_lock(void* p)
{
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    ++validate(list, p)->lock_count;
}

void mb_unlock(void* p)
{
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    Record* record = validate(list, p);
    if (record->lock_count == 0) {
        uerr_raise(kErrMemblockRoaming);
    }
    --record->lock_count;
}

size_t mb_count()
{
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    return list.live.size();
}

size_t mb_total_bytes()
{
    BlockList& list = blocks();
    std::lock_guard<std::mutex> lock(list.busy);
    return list.total_bytes;
}

} // namespace util
