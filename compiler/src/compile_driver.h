// The passes of one compilation: finding the tracks present, then writing
// every present track's words and the header.
#pragma once

#include "compile_context.h"
#include "image_writer.h"

namespace kvt {

void initContext(CompileContext& ctx, const uint8_t* text, uint32_t length, uint16_t conditionMask);

// Walks the text once and adds to `found` every track of `interest` that
// the text gives content; stops as soon as all of `interest` is found.
// Syntax errors met before that are raised.
// With a map, the scan also records where the text switches tracks; the
// map becomes usable when the walk reaches the end of the text.
void scanTracks(CompileContext& ctx, const TrackSet& interest, TrackSet& found, SelectionMap* map = nullptr);

// Records the present tracks and their indexes; no present track raises
// "Empty effective track".
void recordTracks(CompileContext& ctx, const TrackSet& found);

// Scans for all 256 track numbers in one walk and records what it found.
void findTracks(CompileContext& ctx, SelectionMap& map);

// Writes the zeroed header and table, each track's words, then the header,
// the track table and the extension block.  With a usable map the passes
// jump over text that is not their track's; the image is the same.  With a
// source map builder, every track's words are also traced to their commands.
void writeImage(CompileContext& ctx, ImageWriter& out, SelectionMap* map = nullptr,
                SourceMapBuilder* sourceMap = nullptr);

} // namespace kvt
