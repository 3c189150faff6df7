#include "smf/smf_file.h"

#include "smf/smf_bytes.h"

#include <algorithm>

namespace smf {

std::array<uint8_t, kHeaderSize> fileHeader(uint16_t trackCount, uint16_t division)
{
    std::vector<uint8_t> bytes{'M', 'T', 'h', 'd'};
    appendBe32(bytes, 6);
    appendBe16(bytes, 1);
    appendBe16(bytes, trackCount);
    appendBe16(bytes, division);
    std::array<uint8_t, kHeaderSize> out{};
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

std::vector<uint8_t> trackChunk(const std::vector<uint8_t>& events)
{
    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    chunk.reserve(8 + events.size());
    appendBe32(chunk, uint32_t(events.size()));
    chunk.insert(chunk.end(), events.begin(), events.end());
    return chunk;
}

void beginFile(util::FILESET* out)
{
    const std::array<uint8_t, kHeaderSize> zeros{};
    util::fs_seek(out, 0, 0);
    util::fs_write(out, zeros.data(), zeros.size());
}

void writeTrack(util::FILESET* out, const TrackWriter& track)
{
    const std::vector<uint8_t> chunk = trackChunk(track.events());
    util::fs_seek(out, 0, 2);
    util::fs_write(out, chunk.data(), chunk.size());
}

void finishFile(util::FILESET* out, uint16_t trackCount, uint16_t division)
{
    const std::array<uint8_t, kHeaderSize> header = fileHeader(trackCount, division);
    util::fs_seek(out, 0, 0);
    util::fs_write(out, header.data(), header.size());
    util::fs_seek(out, 0, 2);
}

} // namespace smf
