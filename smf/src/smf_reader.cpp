#include "smf/smf_reader.h"

#include <cstring>

namespace smf {

namespace {

constexpr uint32_t kMinHeaderLength = 6;

bool tag_matches(const uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

// Bytes that follow a status byte: one for Cn and Dn, two for the others.
int channel_data_bytes(uint8_t status)
{
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Data bytes are 0-127; some writers put larger ones (a velocity of 0xCC),
// which other readers take as 127.
void clamp_data_byte(uint8_t& byte, bool& clamped)
{
    if (byte > 0x7F) {
        byte = 0x7F;
        clamped = true;
    }
}

ReadError read_payload(ByteCursor& in, SmfEvent& out)
{
    if (ReadError e = read_vlq(in, out.length); e != ReadError::None) return e;
    if (!in.read_span(out.length, out.payload)) return ReadError::NotEnoughSize;
    if (out.length == 0) out.payload = nullptr;
    return ReadError::None;
}

} // namespace

ReadError read_header(const uint8_t* data, size_t size, SmfHeader& out)
{
    ByteCursor in(data, size);
    const uint8_t* tag;
    if (!in.read_span(4, tag)) return ReadError::NotEnoughSize;
    if (!tag_matches(tag, "MThd")) return ReadError::MthdNotMatch;
    uint32_t length;
    if (!in.read_be32(length)) return ReadError::NotEnoughSize;
    if (length < kMinHeaderLength) return ReadError::MthdFormat;
    ByteCursor fields = in;
    if (!in.skip(length)) return ReadError::NotEnoughSize;
    fields.read_be16(out.format);
    fields.read_be16(out.track_count);
    fields.read_be16(out.division);
    // Ticks per quarter note of 0 leave tempo and timebase undefined.
    if (out.division == 0) return ReadError::MthdFormat;
    out.chunks_offset = size - in.left();
    return ReadError::None;
}

ReadError read_track_chunk(ByteCursor& file, const uint8_t*& chunk, uint32_t& length)
{
    const uint8_t* tag;
    if (!file.read_span(4, tag)) return ReadError::NotEnoughSize;
    if (!tag_matches(tag, "MTrk")) return ReadError::MtrkNotMatch;
    if (!file.read_be32(length) || !file.read_span(length, chunk)) return ReadError::NotEnoughSize;
    return ReadError::None;
}

ReadError read_vlq(ByteCursor& in, uint32_t& out)
{
    out = 0;
    for (int i = 0; i < kMaxVlqBytes; ++i) {
        uint8_t b;
        if (!in.read_u8(b)) return ReadError::NotEnoughSize;
        out = out << 7 | (b & 0x7F);
        if ((b & 0x80) == 0) return ReadError::None;
    }
    return ReadError::DeltaTooLong;
}

ReadError read_event(ByteCursor& in, uint8_t& running_status, SmfEvent& out)
{
    out = SmfEvent{};
    if (ReadError e = read_vlq(in, out.delta); e != ReadError::None) return e;
    uint8_t b;
    if (!in.read_u8(b)) return ReadError::NotEnoughSize;
    bool have_data1 = false;
    if (b < 0x80) {
        out.status = running_status;
        out.data1 = b;
        have_data1 = true;
    } else {
        out.status = b;
    }

    switch (out.status) {
    case 0xF0:
    case 0xF7: return read_payload(in, out);
    case 0xFF:
        if (!in.read_u8(out.data1)) return ReadError::NotEnoughSize;
        return read_payload(in, out);
    default: break;
    }
    // A data byte without running status, or F1-F6, F8-FE.
    if (out.status < 0x80 || out.status >= 0xF0) return ReadError::NotEnoughSize;
    running_status = out.status;
    if (!have_data1 && !in.read_u8(out.data1)) return ReadError::NotEnoughSize;
    if (channel_data_bytes(out.status) == 2 && !in.read_u8(out.data2)) return ReadError::NotEnoughSize;
    clamp_data_byte(out.data1, out.clamped);
    clamp_data_byte(out.data2, out.clamped);
    return ReadError::None;
}

ReadError read_track_events(const uint8_t* chunk, uint32_t length, std::vector<SmfEvent>& out)
{
    out.clear();
    ByteCursor in(chunk, length);
    uint8_t running_status = 0;
    while (in.left() > 0) {
        SmfEvent event;
        if (ReadError e = read_event(in, running_status, event); e != ReadError::None) return e;
        out.push_back(event);
    }
    return ReadError::None;
}

} // namespace smf
