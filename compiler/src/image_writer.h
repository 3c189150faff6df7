// Writes the image: command words and byte payloads go to the output file
// (or a memory image) at a running position through a small buffer, so a
// track costs a few large writes instead of one per word.  Written to a
// file, the image itself is never held in memory.
#pragma once

#include "util/fileset.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvt {

class ImageWriter {
public:
    explicit ImageWriter(util::FILESET* file);
    // Into `image`, which grows as the writes reach further.
    explicit ImageWriter(std::vector<uint8_t>& image);

    // Writes what is buffered, then continues at `offset`.
    void seek(uint32_t offset);
    // The file offset of the next byte written.  Every offset of the image
    // is 32 bits wide: a write that would end beyond UINT32_MAX raises
    // "File cannot write" instead.
    uint32_t position() const { return base_ + static_cast<uint32_t>(buffer_.size()); }
    void word(uint16_t w);
    void byte(uint8_t b);
    void bytes(const uint8_t* data, size_t n);
    // A tick count in the length encoding; above 0x0FFFFFFF (or below 0)
    // raises "Deltatime too long".
    void length(int64_t ticks);
    // Hands the buffered bytes to the file or the memory image.
    void flush();

private:
    void append(const uint8_t* data, size_t n);

    util::FILESET* file_ = nullptr;
    std::vector<uint8_t>* image_ = nullptr;
    uint32_t base_ = 0;
    std::vector<uint8_t> buffer_;
};

} // namespace kvt
