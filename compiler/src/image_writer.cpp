#include "image_writer.h"

#include "messages.h"
#include "util/uerr.h"
#include "zem/command_words.h"

#include <algorithm>
#include <cstdint>

namespace kvt {

namespace {
constexpr size_t kFlushSize = 64 * 1024;
} // namespace

ImageWriter::ImageWriter(util::FILESET* file) : file_(file) { buffer_.reserve(kFlushSize + 16); }
ImageWriter::ImageWriter(std::vector<uint8_t>& image) : image_(&image) { buffer_.reserve(kFlushSize + 16); }

void ImageWriter::seek(uint32_t offset)
{
    flush();
    base_ = offset;
}

void ImageWriter::flush()
{
    if (buffer_.empty()) return;
    if (file_ != nullptr) {
        util::fs_seek(file_, int64_t{base_}, 0);
        util::fs_write(file_, buffer_.data(), buffer_.size());
    } else {
        const size_t end = size_t{base_} + buffer_.size();
        if (image_->size() < end) image_->resize(end);
        std::copy(buffer_.begin(), buffer_.end(), image_->begin() + base_);
    }
    base_ += static_cast<uint32_t>(buffer_.size());
    buffer_.clear();
}

void ImageWriter::append(const uint8_t* data, size_t n)
{
    if (n > UINT32_MAX - position()) util::uerr_raise(util::kErrFileCannotWrite);
    buffer_.insert(buffer_.end(), data, data + n);
    if (buffer_.size() >= kFlushSize) flush();
}

void ImageWriter::word(uint16_t w)
{
    uint8_t le[2];
    zem::writeU16(le, w);
    append(le, sizeof le);
}

void ImageWriter::byte(uint8_t b) { append(&b, 1); }

void ImageWriter::bytes(const uint8_t* data, size_t n) { append(data, n); }

void ImageWriter::length(int64_t ticks)
{
    if (ticks < 0 || ticks > static_cast<int64_t>(zem::kMaxLength)) compileError(kErrDeltaTooLong);
    zem::EncodedLength encoded = zem::encodeLength(static_cast<uint32_t>(ticks));
    for (unsigned i = 0; i < encoded.count; ++i) word(encoded.words[i]);
}

} // namespace kvt
