#include "wav_reader.h"

#include <cstring>

namespace qzwav {

namespace {

constexpr uint64_t kMacBinaryHeader = 128; // some tools put a 128-byte header in front

int64_t hostSeek(const dw_host* host, intptr_t handle, uint64_t offset, uint32_t origin)
{
    return host->seek(host, handle, static_cast<uint32_t>(offset), static_cast<uint32_t>(offset >> 32), origin);
}

bool tryRiffAt(WavReader& reader, const dw_host* host, uint64_t base)
{
    uint8_t header[12];
    if (!seekTo(reader, host, base) || !readExact(reader, host, header, 8)) return false;
    if (std::memcmp(header, "RIFF", 4) != 0) return false;
    if (!readExact(reader, host, header + 8, 4) || std::memcmp(header + 8, "WAVE", 4) != 0) return false;
    reader.base = base;
    return true;
}

} // namespace

bool isUsableHost(const dw_host* host)
{
    return host && host->alloc && host->free && host->open && host->invalid_handle && host->is_invalid && host->close &&
           host->seek && host->read;
}

bool openReader(WavReader& reader, const dw_host* host, const char* name)
{
    reader = WavReader{};
    if (!name) return false;
    intptr_t handle = host->open(host, name, DW_OPEN_READ);
    if (host->is_invalid(host, handle)) return false;
    int64_t size = hostSeek(host, handle, 0, DW_SEEK_END);
    if (size < 0 || hostSeek(host, handle, 0, DW_SEEK_START) != 0) {
        host->close(host, handle);
        return false;
    }
    reader.handle = handle;
    reader.isOpen = true;
    reader.size = static_cast<uint64_t>(size);
    return true;
}

void closeReader(WavReader& reader, const dw_host* host)
{
    if (reader.isOpen) host->close(host, reader.handle);
    reader.isOpen = false;
}

bool seekTo(WavReader& reader, const dw_host* host, uint64_t position)
{
    if (!reader.isOpen || position > reader.size) return false;
    if (position == reader.position) return true;
    if (hostSeek(host, reader.handle, position, DW_SEEK_START) != static_cast<int64_t>(position)) return false;
    reader.position = position;
    return true;
}

bool readExact(WavReader& reader, const dw_host* host, void* buffer, size_t length)
{
    if (!reader.isOpen || reader.position > reader.size || length > reader.size - reader.position) return false;
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        int64_t got = host->read(host, reader.handle, bytes + done, static_cast<intptr_t>(length - done), 0);
        if (got <= 0 || static_cast<uint64_t>(got) > length - done) {
            // The host's position is unknown now; force a real seek next time.
            reader.position = UINT64_MAX;
            return false;
        }
        done += static_cast<size_t>(got);
        reader.position += static_cast<uint64_t>(got);
    }
    return true;
}

bool checkRiff(WavReader& reader, const dw_host* host)
{
    return tryRiffAt(reader, host, 0) || tryRiffAt(reader, host, kMacBinaryHeader);
}

bool findChunk(WavReader& reader, const dw_host* host, const char id[4], ChunkPlace& found)
{
    uint8_t header[8];
    while (readExact(reader, host, header, sizeof header)) {
        uint32_t size = dw_get_le32(header + 4);
        if (size > reader.size - reader.position) return false;
        if (std::memcmp(header, id, 4) == 0) {
            found = ChunkPlace{reader.position, size};
            return true;
        }
        uint64_t padded = uint64_t{size} + (size & 1u);
        if (!seekTo(reader, host, reader.position + padded)) return false;
    }
    return false;
}

} // namespace qzwav
