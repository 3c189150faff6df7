// Memblock: tracked memory blocks.
//
// Each block's data is preceded by a header holding a pointer to its
// bookkeeping record and the signature "MAMN"; all records form one
// process-wide list, so leaks are countable and a stale or foreign pointer is
// detected (kErrMemblockClashed) instead of corrupting the heap.  The header
// is pointer-sized plus the signature, padded so that data stays 16-byte
// aligned.  Failures are raised codes (uerr.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace util {

// n bytes; raises kErrOutOfMemory.
void* mb_alloc(size_t n);
// n zeroed bytes.
void* mb_alloc_zero(size_t n);
// A new block of n bytes holding min(old size, n) bytes of p; p is freed.
// A null p raises kErrNullArgument; a foreign p raises kErrMemblockClashed.
void* mb_realloc(void* p, size_t n);
// Frees p; null raises kErrNullArgument, a foreign or already freed p raises
// kErrMemblockClashed, a locked one kErrMemblockLocked.
void mb_free(void* p);
// The data size of a live block.
size_t mb_size(const void* p);
// Pins a live block: while its lock count is above 0, free and realloc raise
// kErrMemblockLocked.  Unlocking a block that is not locked raises
// kErrMemblockRoaming.
void mb_lock(void* p);
void mb_unlock(void* p);

// Number of live blocks and their accounted bytes (data size + 32 each).
size_t mb_count();
size_t mb_total_bytes();

} // namespace util
