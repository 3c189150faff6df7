#include "document.h"

#include <algorithm>

namespace kvtls {

namespace {

// Bytes of the UTF-8 sequence starting with `lead`, and the UTF-16 units it
// stands for; a byte that starts no valid sequence counts as one of each
// (the client saw it replaced by U+FFFD).
struct Step {
    size_t bytes;
    uint32_t units;
};

Step stepAt(const std::string& s, size_t i, size_t end)
{
    const auto lead = static_cast<uint8_t>(s[i]);
    size_t need = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (need <= 1 || i + need > end) return {1, 1};
    for (size_t k = 1; k < need; ++k)
        if ((static_cast<uint8_t>(s[i + k]) & 0xC0) != 0x80) return {1, 1};
    return {need, need == 4 ? 2u : 1u};
}

} // namespace

Document::Document(std::string text, Encoding encoding) : text_(std::move(text)), encoding_(encoding) { indexLines(); }

void Document::indexLines()
{
    lineStarts_.clear();
    lineStarts_.push_back(0);
    for (size_t i = text_.find('\n'); i != std::string::npos; i = text_.find('\n', i + 1)) lineStarts_.push_back(i + 1);
}

size_t Document::lineEnd(uint32_t line) const
{
    return line + 1 < lineStarts_.size() ? lineStarts_[line + 1] - 1 : text_.size();
}

size_t Document::offsetAt(Position p) const
{
    if (p.line >= lineStarts_.size()) return text_.size();
    const size_t start = lineStarts_[p.line];
    const size_t end = lineEnd(p.line);
    if (encoding_ == Encoding::Utf8) return std::min(start + p.character, end);
    size_t i = start;
    uint32_t units = 0;
    while (i < end && units < p.character) {
        const Step s = stepAt(text_, i, end);
        i += s.bytes;
        units += s.units;
    }
    return i;
}

uint32_t Document::lineOf(size_t offset) const
{
    const auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), std::min(offset, text_.size()));
    return static_cast<uint32_t>(it - lineStarts_.begin() - 1);
}

Position Document::positionAt(size_t offset) const
{
    offset = std::min(offset, text_.size());
    const uint32_t line = lineOf(offset);
    return {line, unitsBetween(lineStarts_[line], offset)};
}

uint32_t Document::unitsBetween(size_t from, size_t to) const
{
    to = std::min(to, text_.size());
    if (encoding_ == Encoding::Utf8 || from >= to) return static_cast<uint32_t>(to > from ? to - from : 0);
    uint32_t units = 0;
    for (size_t i = from; i < to;) {
        const Step s = stepAt(text_, i, to);
        i += s.bytes;
        units += s.units;
    }
    return units;
}

void Document::replace(Position start, Position end, const std::string& replacement)
{
    size_t from = offsetAt(start);
    size_t to = offsetAt(end);
    if (to < from) std::swap(from, to);
    text_.replace(from, to - from, replacement);
    indexLines();
}

void Document::replaceAll(std::string text)
{
    text_ = std::move(text);
    indexLines();
}

} // namespace kvtls
