// Bounds-checked file access through the decoder host table.
#pragma once

#include "qzdecoder.h"

#include <cstddef>
#include <cstdint>

namespace qzwav {

// Absolute file positions; base is where the RIFF header starts (0 or 128).
struct WavReader {
    intptr_t handle = 0;
    bool isOpen = false;
    uint64_t base = 0;
    uint64_t position = 0;
    uint64_t size = 0;
};

struct ChunkPlace {
    uint64_t contents = 0; // absolute position of the first content byte
    uint32_t size = 0;     // content bytes, without the pad byte
};

// Opens name for reading and measures it; false leaves nothing open.
bool openReader(WavReader& reader, const dw_host* host, const char* name);
void closeReader(WavReader& reader, const dw_host* host);

// Moves to an absolute position; positions beyond the file fail.
bool seekTo(WavReader& reader, const dw_host* host, uint64_t position);

// Reads exactly length bytes or fails; never reads past the end.
bool readExact(WavReader& reader, const dw_host* host, void* buffer, size_t length);

// Finds "RIFF"...."WAVE" at offset 0 or else 128 and sets the base; the
// reader is left just after the 12-byte header.
bool checkRiff(WavReader& reader, const dw_host* host);

// From the current position, walks chunk headers until one named id; chunks
// whose contents would run past the end of the file stop the search.  The
// reader is left at the contents of the chunk found.
bool findChunk(WavReader& reader, const dw_host* host, const char id[4], ChunkPlace& found);

// True when the host table has every slot the reader uses.
bool isUsableHost(const dw_host* host);

} // namespace qzwav
