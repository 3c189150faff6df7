// A Standard MIDI File turned into KVT text in memory, for the programs that
// play or render a MIDI file without writing the text anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mid2kvt {

using ImportMessageFn = std::function<void(const std::string& text)>;

// The same text the importer program writes.  None after a read error; that
// message, and any notes on what the text could not say as the file did,
// go to `message`.
std::optional<std::vector<uint8_t>> importText(const uint8_t* file, size_t size, const ImportMessageFn& message);

} // namespace mid2kvt
