// What a file given to a player or renderer holds, told by its first bytes
// alone: a file may be named anything.
#pragma once

#include "zem/command_words.h"

#include <cstddef>
#include <cstdint>

namespace zem {

enum class ScoreKind {
    Image,            // begins with the image's magic: played as it is
    StandardMidiFile, // begins with "MThd": imported to KVT text first
    KvtText,          // anything else is compiled
};

constexpr bool beginsWith(const uint8_t* bytes, size_t size, const char* prefix, size_t length)
{
    if (size < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (bytes[i] != static_cast<uint8_t>(prefix[i])) return false;
    return true;
}

constexpr ScoreKind scoreKindOf(const uint8_t* bytes, size_t size)
{
    if (beginsWith(bytes, size, kMagic, sizeof kMagic)) return ScoreKind::Image;
    if (beginsWith(bytes, size, "MThd", 4)) return ScoreKind::StandardMidiFile;
    return ScoreKind::KvtText;
}

} // namespace zem
