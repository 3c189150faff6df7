#include "kvt/source_map.h"

#include <algorithm>

namespace kvt {

const SourceRange* TrackSourceMap::find(uint32_t word) const
{
    if (word >= wordCount) return nullptr;
    auto after = std::upper_bound(runs.begin(), runs.end(), word,
                                  [](uint32_t w, const SourceRun& run) { return w < run.firstWord; });
    if (after == runs.begin()) return nullptr;
    const SourceRange& range = std::prev(after)->range;
    return range.line != 0 ? &range : nullptr;
}

const SourceRange* SourceMap::find(size_t track, uint32_t word) const
{
    return track < tracks.size() ? tracks[track].find(word) : nullptr;
}

} // namespace kvt
