#include "mid2kvt/convert.h"

namespace mid2kvt {

namespace {

// Ticks per quarter note whose timebase (four times as many per whole note)
// the compiler still takes.
constexpr uint32_t kMaxTimebase = 65535;
constexpr uint32_t kMaxTracks = 256;

} // namespace

smf::ReadError convert_tracks(const uint8_t* data, size_t size, const smf::SmfHeader& header, KvtSink& sink,
                              ImportNotes& notes)
{
    if (4 * uint32_t{header.division} > kMaxTimebase)
        notes.pass(TextLimit::DivisionTooLarge, 0, 4 * uint32_t{header.division});
    smf::ByteCursor file(data + header.chunks_offset, size - header.chunks_offset);
    KvtWriter writer(sink, header.division, notes);
    for (uint32_t i = 0; i < header.track_count; ++i) {
        if (i == kMaxTracks) notes.pass(TextLimit::TooManyTracks, i, header.track_count);
        const uint8_t* chunk;
        uint32_t length;
        if (smf::ReadError e = smf::read_track_chunk(file, chunk, length); e != smf::ReadError::None) return e;
        if (smf::ReadError e = writer.write_track(static_cast<uint16_t>(i), chunk, length); e != smf::ReadError::None)
            return e;
    }
    return smf::ReadError::None;
}

} // namespace mid2kvt
