#include "mid2kvt/convert.h"

namespace mid2kvt {

ReadError convert_tracks(const uint8_t* data, size_t size, const SmfHeader& header, KvtSink& sink)
{
    ByteCursor file(data + header.chunks_offset, size - header.chunks_offset);
    KvtWriter writer(sink, header.division);
    for (uint32_t i = 0; i < header.track_count; ++i) {
        const uint8_t* chunk;
        uint32_t length;
        if (ReadError e = read_track_chunk(file, chunk, length); e != ReadError::None)
            return e;
        if (ReadError e = writer.write_track(static_cast<uint16_t>(i), chunk, length); e != ReadError::None)
            return e;
    }
    return ReadError::None;
}

} // namespace mid2kvt
