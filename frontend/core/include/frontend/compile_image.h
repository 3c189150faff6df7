// Turning the file a player was given into an image held in memory: a ZEM
// image as it is, a Standard MIDI File imported to KVT text first, KVT text
// compiled, all without a file round trip.
#pragma once

#include "frontend/messages.h"
#include "kvt/source_map.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace frontend {

// Each message with its file and, for a compile error, its place.
using CompileMessageFn = std::function<void(const CompileMessage& message)>;

// The image, or none after a failure (its message went to `message`).
// sourceMap, when given, receives where each word came from in `source`.
std::optional<std::vector<uint8_t>> compileImage(const std::vector<uint8_t>& source, const std::string& sourcePath,
                                                 uint16_t switches, const CompileMessageFn& message,
                                                 kvt::SourceMap* sourceMap = nullptr);

// Why loadScore gave no image.
enum class LoadFailure {
    None,
    Unreadable, // no regular file that could be read, or a MIDI file that is not one
    Compile,    // the KVT text did not compile
};

struct LoadedScore {
    std::optional<std::vector<uint8_t>> image;
    LoadFailure failure = LoadFailure::None;
    // Where the image's words are in the file's text; empty for an image
    // and for a MIDI file (its text exists only in memory).
    kvt::SourceMap sourceMap;
};

// The image of the file at path, by what the file holds whatever its name:
// an image as it is; a Standard MIDI File imported to KVT text, then
// compiled with switches; anything else compiled.  Messages go to `message`.
LoadedScore loadScore(const std::string& path, uint16_t switches, const CompileMessageFn& message);

// The whole of a regular file, or none when it cannot be read.  The file is
// opened without blocking, so a FIFO or a device named as a score is
// refused instead of hanging the player; folders are refused too.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path);

} // namespace frontend
