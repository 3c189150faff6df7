// The layout of a format 1 Standard MIDI File written through an open output
// FILESET: a header placeholder, one track chunk per track in order, then
// the real header.  Every write is checked by the file object: a short
// write raises "File cannot write".
#pragma once

#include "smf/track_writer.h"
#include "util/fileset.h"

#include <array>
#include <cstdint>
#include <vector>

namespace smf {

inline constexpr uint32_t kHeaderSize = 14;

// "MThd", length 6, format 1, the track count and the division (ticks per
// quarter note; bit 15 is never set for time codes by the exporter).
std::array<uint8_t, kHeaderSize> fileHeader(uint16_t trackCount, uint16_t division);

// "MTrk", the big-endian length and the events.
std::vector<uint8_t> trackChunk(const std::vector<uint8_t>& events);

// Writes 14 zero bytes at offset 0.
void beginFile(util::FILESET* out);
// Appends the chunk of a finished track at the end of the file.
void writeTrack(util::FILESET* out, const TrackWriter& track);
// Writes the header at offset 0 and moves back to the end.
void finishFile(util::FILESET* out, uint16_t trackCount, uint16_t division);

} // namespace smf
