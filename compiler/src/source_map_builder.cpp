#include "source_map_builder.h"

#include <algorithm>
#include <cstring>

namespace kvt {

namespace {

bool isBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

SourceMapBuilder::SourceMapBuilder(const uint8_t* text, uint32_t length, SourceMap& map) : text_(text), map_(map)
{
    map_.tracks.clear();
    lineStarts_.push_back(0);
    const uint8_t* end = text + length;
    for (const uint8_t* p = text; p != end;) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (lf == nullptr) break;
        p = static_cast<const uint8_t*>(lf) + 1;
        lineStarts_.push_back(static_cast<uint32_t>(p - text));
    }
}

void SourceMapBuilder::beginTrack(uint8_t number, uint32_t start)
{
    map_.tracks.push_back({.trackNumber = number});
    trackStart_ = start;
    lineHint_ = 0;
}

// Commands of one pass come in text order, so the line is mostly the one of
// the previous command or close after it.
uint32_t SourceMapBuilder::lineOf(uint32_t offset)
{
    const auto first = lineStarts_.begin() + static_cast<ptrdiff_t>(lineHint_);
    auto after = first + 1;
    if (after != lineStarts_.end() && offset >= *after) after = std::upper_bound(after, lineStarts_.end(), offset);
    lineHint_ = static_cast<size_t>(after - lineStarts_.begin()) - 1;
    return static_cast<uint32_t>(lineHint_);
}

void SourceMapBuilder::command(uint32_t at, const uint8_t* begin, const uint8_t* end)
{
    // The command loop stops on the next command's first byte; the blanks
    // a command looked beyond to find its end are not its text.
    while (end - begin > 1 && isBlank(end[-1])) --end;
    const uint32_t offset = static_cast<uint32_t>(begin - text_);
    const uint32_t line = lineOf(offset);
    const SourceRange range{line + 1, offset - lineStarts_[line] + 1, static_cast<uint32_t>(end - begin)};
    map_.tracks.back().runs.push_back({(at - trackStart_) / 2, range});
}

void SourceMapBuilder::noCommand(uint32_t at) { map_.tracks.back().runs.push_back({(at - trackStart_) / 2, {}}); }

void SourceMapBuilder::endTrack(uint32_t end) { map_.tracks.back().wordCount = (end - trackStart_) / 2; }

} // namespace kvt
