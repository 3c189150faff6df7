// One open score: its bytes, where its lines start, and the conversion
// between byte offsets and the client's positions (line, character), where
// a character counts UTF-16 code units or bytes as agreed at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvtls {

enum class Encoding { Utf16, Utf8 };

struct Position {
    uint32_t line = 0;
    uint32_t character = 0;
};

class Document {
public:
    Document(std::string text, Encoding encoding);

    const std::string& text() const { return text_; }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(text_.data()); }
    size_t lineCount() const { return lineStarts_.size(); }

    // The byte offset of a position; positions beyond a line's end or the
    // last line are clamped to them.
    size_t offsetAt(Position p) const;
    Position positionAt(size_t offset) const;
    uint32_t lineOf(size_t offset) const;
    // Length in the client's units of `count` bytes from `offset`.
    uint32_t unitsBetween(size_t from, size_t to) const;

    // Replaces the bytes between two positions (clamped) with `replacement`.
    void replace(Position start, Position end, const std::string& replacement);
    void replaceAll(std::string text);

private:
    std::string text_;
    std::vector<size_t> lineStarts_;
    Encoding encoding_;

    void indexLines();
    size_t lineEnd(uint32_t line) const;
};

} // namespace kvtls
