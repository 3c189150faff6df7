// Compiling KVT text into an image held in memory, without a file round trip.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace frontend {

// (message text, name of the file it concerns)
using CompileMessageFn = std::function<void(const std::string& message, const std::string& name)>;

// The image, or none after a failure (its message went to `message`).
std::optional<std::vector<uint8_t>> compileImage(const std::vector<uint8_t>& source, const std::string& sourcePath,
                                                 uint16_t switches, const CompileMessageFn& message);

// The whole file, or none when it cannot be read.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path);

} // namespace frontend
