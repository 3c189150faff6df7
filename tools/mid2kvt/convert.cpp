#include "mid2kvt/convert.h"

namespace mid2kvt {

smf::ReadError convert_tracks(const uint8_t* data, size_t size, const smf::SmfHeader& header, KvtSink& sink)
{
    smf::ByteCursor file(data + header.chunks_offset, size - header.chunks_offset);
    KvtWriter writer(sink, header.division);
    for (uint32_t i = 0; i < header.track_count; ++i) {
        const uint8_t* chunk;
        uint32_t length;
        if (smf::ReadError e = smf::read_track_chunk(file, chunk, length); e != smf::ReadError::None)
            return e;
        if (smf::ReadError e = writer.write_track(static_cast<uint16_t>(i), chunk, length); e != smf::ReadError::None)
            return e;
    }
    return smf::ReadError::None;
}

} // namespace mid2kvt
