// The straightforward track scan, kept as the reference the one-walk scan
// is checked and measured against: the whole text is walked once per track
// number 0 to 255, each walk ending at that track's first content.
#pragma once

#include "compile_driver.h"

namespace kvt_test {

inline void scanPerTrackNumber(kvt::CompileContext& ctx, kvt::TrackSet& found)
{
    for (unsigned t = 0; t < 256; ++t) kvt::scanTracks(ctx, kvt::TrackSet().set(t), found);
}

} // namespace kvt_test
