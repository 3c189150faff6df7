// The decoder contract's heap and file calls over the process's own heap and
// POSIX file descriptors (invalid: -1), for every host that lends a decoder
// its files: new files get 0666 less the umask, and a read or write moves
// the whole length unless the file ends or an error comes.
#pragma once

#include "qzdecoder.h"

#include <cstddef>
#include <cstdint>

namespace decoder_plugins {

void* posixAllocate(size_t size);
void posixFree(void* block);
// mode: DW_OPEN_* bits; access 0 is refused.
intptr_t posixOpen(const char* name, uint32_t mode);
void posixClose(intptr_t handle);
int64_t posixSeek(intptr_t handle, uint32_t low, uint32_t high, uint32_t origin);
int64_t posixRead(intptr_t handle, void* buffer, intptr_t length, uint32_t flag);
int64_t posixWrite(intptr_t handle, const void* buffer, intptr_t length, uint32_t flag);

// A whole host table made of the calls above.
const dw_host* posixFileHost();

} // namespace decoder_plugins
