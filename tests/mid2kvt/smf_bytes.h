// Builds Standard MIDI File bytes for the tests, with explicit big-endian
// helpers.
#pragma once

#include "mid2kvt/convert.h"
#include "mid2kvt/kvt_writer.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace mid2kvt_test {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

inline Bytes be16(uint16_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }

inline Bytes tag(const char* four) { return Bytes(four, four + 4); }

inline Bytes mthd(uint16_t format, uint16_t tracks, uint16_t division)
{
    return tag("MThd") + be32(6) + be16(format) + be16(tracks) + be16(division);
}

inline Bytes mtrk(const Bytes& events) { return tag("MTrk") + be32(uint32_t(events.size())) + events; }

inline Bytes textBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A variable-length quantity, most significant group first.
inline Bytes vlq(uint32_t v)
{
    Bytes out{uint8_t(v & 0x7F)};
    while (v >>= 7) out.insert(out.begin(), uint8_t(0x80 | (v & 0x7F)));
    return out;
}

class StringSink : public mid2kvt::KvtSink {
public:
    void write(const char* bytes, size_t n) override { text.append(bytes, n); }
    std::string text;
};

struct Converted {
    smf::ReadError error;
    std::string text;
    mid2kvt::ImportNotes notes;
};

// Header test, then every track, as the program does.
inline Converted convert(const Bytes& file)
{
    Converted out{};
    smf::SmfHeader header{};
    out.error = smf::readHeader(file.data(), file.size(), header);
    if (out.error != smf::ReadError::None) return out;
    StringSink sink;
    out.error = mid2kvt::convertTracks(file.data(), file.size(), header, sink, out.notes);
    out.text = sink.text;
    return out;
}

} // namespace mid2kvt_test
