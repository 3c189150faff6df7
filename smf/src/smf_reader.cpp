#include "smf/smf_reader.h"

#include <cstring>

namespace smf {

namespace {

constexpr uint32_t kMinHeaderLength = 6;

bool tagMatches(const uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

// Bytes that follow a status byte: one for Cn and Dn, two for the others.
int channelDataBytes(uint8_t status)
{
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Data bytes are 0-127; some writers put larger ones (a velocity of 0xCC),
// which other readers take as 127.
void clampDataByte(uint8_t& byte, bool& clamped)
{
    if (byte > 0x7F) {
        byte = 0x7F;
        clamped = true;
    }
}

ReadError readPayload(ByteCursor& in, SmfEvent& out)
{
    if (ReadError e = readVlq(in, out.length); e != ReadError::None) return e;
    if (!in.readSpan(out.length, out.payload)) return ReadError::NotEnoughSize;
    if (out.length == 0) out.payload = nullptr;
    return ReadError::None;
}

} // namespace

ReadError readHeader(const uint8_t* data, size_t size, SmfHeader& out)
{
    ByteCursor in(data, size);
    const uint8_t* tag;
    if (!in.readSpan(4, tag)) return ReadError::NotEnoughSize;
    if (!tagMatches(tag, "MThd")) return ReadError::MthdNotMatch;
    uint32_t length;
    if (!in.readBe32(length)) return ReadError::NotEnoughSize;
    if (length < kMinHeaderLength) return ReadError::MthdFormat;
    ByteCursor fields = in;
    if (!in.skip(length)) return ReadError::NotEnoughSize;
    fields.readBe16(out.format);
    fields.readBe16(out.trackCount);
    fields.readBe16(out.division);
    // Ticks per quarter note of 0 leave tempo and timebase undefined.
    if (out.division == 0) return ReadError::MthdFormat;
    out.chunksOffset = size - in.left();
    return ReadError::None;
}

ReadError readTrackChunk(ByteCursor& file, const uint8_t*& chunk, uint32_t& length)
{
    const uint8_t* tag;
    if (!file.readSpan(4, tag)) return ReadError::NotEnoughSize;
    if (!tagMatches(tag, "MTrk")) return ReadError::MtrkNotMatch;
    if (!file.readBe32(length) || !file.readSpan(length, chunk)) return ReadError::NotEnoughSize;
    return ReadError::None;
}

ReadError readVlq(ByteCursor& in, uint32_t& out)
{
    out = 0;
    for (int i = 0; i < kMaxVlqBytes; ++i) {
        uint8_t b;
        if (!in.readU8(b)) return ReadError::NotEnoughSize;
        out = out << 7 | (b & 0x7F);
        if ((b & 0x80) == 0) return ReadError::None;
    }
    return ReadError::DeltaTooLong;
}

ReadError readEvent(ByteCursor& in, uint8_t& runningStatus, SmfEvent& out)
{
    out = SmfEvent{};
    if (ReadError e = readVlq(in, out.delta); e != ReadError::None) return e;
    uint8_t b;
    if (!in.readU8(b)) return ReadError::NotEnoughSize;
    bool haveData1 = false;
    if (b < 0x80) {
        out.status = runningStatus;
        out.data1 = b;
        haveData1 = true;
    } else {
        out.status = b;
    }

    switch (out.status) {
    case 0xF0:
    case 0xF7: return readPayload(in, out);
    case 0xFF:
        if (!in.readU8(out.data1)) return ReadError::NotEnoughSize;
        return readPayload(in, out);
    default: break;
    }
    // A data byte without running status, or F1-F6, F8-FE.
    if (out.status < 0x80 || out.status >= 0xF0) return ReadError::NotEnoughSize;
    runningStatus = out.status;
    if (!haveData1 && !in.readU8(out.data1)) return ReadError::NotEnoughSize;
    if (channelDataBytes(out.status) == 2 && !in.readU8(out.data2)) return ReadError::NotEnoughSize;
    clampDataByte(out.data1, out.clamped);
    clampDataByte(out.data2, out.clamped);
    return ReadError::None;
}

ReadError readTrackEvents(const uint8_t* chunk, uint32_t length, std::vector<SmfEvent>& out)
{
    out.clear();
    ByteCursor in(chunk, length);
    uint8_t runningStatus = 0;
    while (in.left() > 0) {
        SmfEvent event;
        if (ReadError e = readEvent(in, runningStatus, event); e != ReadError::None) return e;
        out.push_back(event);
    }
    return ReadError::None;
}

} // namespace smf
