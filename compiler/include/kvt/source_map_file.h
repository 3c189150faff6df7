// The source map file (NAME.zmap, written beside NAME's image by «zemc -M»)
// and its reader.
//
// Version 1.  All integers little-endian; the size of the file is exactly
// 16 + 12 × N + 16 × R bytes.
//
//   Header, 16 bytes:
//     0   8  magic: the ASCII bytes "ZEM-SMAP"
//     8   u16 version: 1
//     10  u16 N: track count, 1 to 256 (the image's track count)
//     12  u32 R: run count of all tracks together
//   Track table, N entries of 12 bytes from offset 16, in the image's track
//   table order:
//     +0  u8  track number (ascending from entry to entry)
//     +1  u8  0
//     +2  u16 0
//     +4  u32 word count of the track's command stream
//     +8  u32 run count of the track: 0 when the word count is 0, else at
//             least 1
//   Runs, 16 bytes each from offset 16 + 12 × N: the first track's runs,
//   then the next track's, in ascending first words:
//     +0  u32 first word: the first run of a track has 0, every later one a
//             larger value below the track's word count
//     +4  u32 line (from 1), or 0 for words no command wrote
//     +8  u32 column in bytes (from 1; 0 with line 0)
//     +12 u32 length of the command text in bytes (0 with line 0)
//
// A reader that meets a version it does not know refuses the file.
#pragma once

#include "kvt/source_map.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvt {

inline constexpr uint16_t kSourceMapVersion = 1;

enum class SourceMapError : uint8_t {
    None,
    Truncated,     // the file ends before what its header and table announce
    NotASourceMap, // wrong magic
    UnknownVersion,
    Malformed, // counts, order or fields that no writer produces
};

// The bytes of `map` in the file format.  The map must hold 1 to 256 tracks
// whose runs follow the rules above (as a compile makes them).
std::vector<uint8_t> encodeSourceMap(const SourceMap& map);

// Reads `size` bytes at `data` into `map`.  Every field is checked before it
// is used; on an error `map` is left empty.
SourceMapError decodeSourceMap(const uint8_t* data, size_t size, SourceMap& map);

} // namespace kvt
