#include "ogg_pages.h"

#include <array>
#include <cstring>

namespace zem2wav {

namespace {

// Page header layout: "OggS", version, flags, granule position (8),
// serial (4), sequence (4), CRC (4), segment count, segment table.
constexpr size_t kSerialOffset = 14;
constexpr size_t kCrcOffset = 22;
constexpr size_t kSegmentCountOffset = 26;
constexpr size_t kFixedHeader = 27;

constexpr std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = r;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

void putLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

uint32_t oggCrc(const uint8_t* bytes, size_t n)
{
    uint32_t crc = 0;
    for (size_t i = 0; i < n; ++i) crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ bytes[i]) & 0xFF];
    return crc;
}

bool setOggSerial(std::vector<uint8_t>& bytes, uint32_t serial)
{
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t left = bytes.size() - pos;
        if (left < kFixedHeader || std::memcmp(&bytes[pos], "OggS", 4) != 0) return false;
        const size_t segments = bytes[pos + kSegmentCountOffset];
        if (left < kFixedHeader + segments) return false;
        size_t pageSize = kFixedHeader + segments;
        for (size_t s = 0; s < segments; ++s) pageSize += bytes[pos + kFixedHeader + s];
        if (left < pageSize) return false;
        uint8_t* page = &bytes[pos];
        putLe32(page + kSerialOffset, serial);
        putLe32(page + kCrcOffset, 0);
        putLe32(page + kCrcOffset, oggCrc(page, pageSize));
        pos += pageSize;
    }
    return true;
}

} // namespace zem2wav
