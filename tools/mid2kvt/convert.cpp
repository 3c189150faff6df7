#include "mid2kvt/convert.h"

namespace mid2kvt {

namespace {

// Ticks per quarter note whose timebase (four times as many per whole note)
// the compiler still takes.
constexpr uint32_t kMaxTimebase = 65535;
constexpr uint32_t kMaxTracks = 256;

} // namespace

smf::ReadError convertTracks(const uint8_t* data, size_t size, const smf::SmfHeader& header, KvtSink& sink,
                             ImportNotes& notes)
{
    if (4 * uint32_t{header.division} > kMaxTimebase)
        notes.pass(TextLimit::DivisionTooLarge, 0, 4 * uint32_t{header.division});
    smf::ByteCursor file(data + header.chunksOffset, size - header.chunksOffset);
    KvtWriter writer(sink, header.division, notes);
    for (uint32_t i = 0; i < header.trackCount; ++i) {
        if (i == kMaxTracks) notes.pass(TextLimit::TooManyTracks, i, header.trackCount);
        const uint8_t* chunk;
        uint32_t length;
        if (smf::ReadError e = smf::readTrackChunk(file, chunk, length); e != smf::ReadError::None) return e;
        if (smf::ReadError e = writer.writeTrack(static_cast<uint16_t>(i), chunk, length); e != smf::ReadError::None)
            return e;
    }
    return smf::ReadError::None;
}

} // namespace mid2kvt
