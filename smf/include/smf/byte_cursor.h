// A bounds-checked reader over a byte buffer.  Every read tests the bytes
// left first and reports failure instead of reading past the end; numbers are
// read big-endian, as Standard MIDI Files store them.
#pragma once

#include "smf/smf_bytes.h"

#include <cstddef>
#include <cstdint>

namespace smf {

class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : pos_(data), left_(size) {}

    size_t left() const { return left_; }
    const uint8_t* position() const { return pos_; }

    bool readU8(uint8_t& out)
    {
        if (left_ < 1) return false;
        out = *pos_;
        advance(1);
        return true;
    }

    bool readBe16(uint16_t& out)
    {
        if (left_ < 2) return false;
        out = be16At(pos_);
        advance(2);
        return true;
    }

    bool readBe32(uint32_t& out)
    {
        if (left_ < 4) return false;
        out = be32At(pos_);
        advance(4);
        return true;
    }

    // n bytes in place: `out` points at them inside the buffer.
    bool readSpan(size_t n, const uint8_t*& out)
    {
        if (left_ < n) return false;
        out = pos_;
        advance(n);
        return true;
    }

    bool skip(size_t n)
    {
        if (left_ < n) return false;
        advance(n);
        return true;
    }

private:
    void advance(size_t n)
    {
        pos_ += n;
        left_ -= n;
    }

    const uint8_t* pos_;
    size_t left_;
};

} // namespace smf
