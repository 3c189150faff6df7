#include "smf/smf_file.h"

#include "smf/smf_bytes.h"

#include <algorithm>

namespace smf {

std::array<uint8_t, kHeaderSize> file_header(uint16_t track_count, uint16_t division)
{
    std::vector<uint8_t> bytes{'M', 'T', 'h', 'd'};
    append_be32(bytes, 6);
    append_be16(bytes, 1);
    append_be16(bytes, track_count);
    append_be16(bytes, division);
    std::array<uint8_t, kHeaderSize> out{};
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

std::vector<uint8_t> track_chunk(const std::vector<uint8_t>& events)
{
    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    chunk.reserve(8 + events.size());
    append_be32(chunk, uint32_t(events.size()));
    chunk.insert(chunk.end(), events.begin(), events.end());
    return chunk;
}

void begin_file(util::FILESET* out)
{
    const std::array<uint8_t, kHeaderSize> zeros{};
    util::fs_seek(out, 0, 0);
    util::fs_write(out, zeros.data(), zeros.size());
}

void write_track(util::FILESET* out, const TrackWriter& track)
{
    const std::vector<uint8_t> chunk = track_chunk(track.events());
    util::fs_seek(out, 0, 2);
    util::fs_write(out, chunk.data(), chunk.size());
}

void finish_file(util::FILESET* out, uint16_t track_count, uint16_t division)
{
    const std::array<uint8_t, kHeaderSize> header = file_header(track_count, division);
    util::fs_seek(out, 0, 0);
    util::fs_write(out, header.data(), header.size());
    util::fs_seek(out, 0, 2);
}

} // namespace smf
