#include "mid2kvt/kvt_writer.h"

#include <array>
#include <charconv>

namespace mid2kvt {

namespace {

constexpr size_t kWrapColumn = 72;
constexpr uint32_t kMaxRawTempo = 0xFFFFFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
// The most bytes the compiler takes in an info item and in a
// system-exclusive message.
constexpr uint32_t kMaxItemBytes = 255;

constexpr std::array<const char*, 12> kNoteNames{"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};

// Meta types whose data is binary even when every byte looks printable:
// SMPTE offset, time signature, key signature, sequencer-specific.
bool is_binary_meta(uint8_t type) { return type == 0x54 || type == 0x58 || type == 0x59 || type == 0x7F; }

// Bytes that can stand between the double quotes of an info item: a double
// quote would end the text early and the rest would read as commands.
bool is_printable(const uint8_t* bytes, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
        if (bytes[i] < 0x20 || bytes[i] == 0x7F || bytes[i] == '"') return false;
    return true;
}

int octave_of(uint8_t key) { return key / 12 - 1; }

} // namespace

void KvtWriter::append_int(int64_t value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    line_.append(digits, result.ptr);
}

void KvtWriter::append_hex(const uint8_t* bytes, uint32_t n)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (uint32_t i = 0; i < n; ++i) {
        line_ += kDigits[bytes[i] >> 4];
        line_ += kDigits[bytes[i] & 0x0F];
    }
}

void KvtWriter::write_line()
{
    sink_.write(line_.data(), line_.size());
    line_.clear();
}

void KvtWriter::end_line_if_any()
{
    if (!line_.empty()) line_ += "\r\n";
}

void KvtWriter::wrap_check()
{
    if (line_.size() >= kWrapColumn) {
        line_ += "\r\n";
        write_line();
    }
}

void KvtWriter::flush_rest()
{
    if (pending_rest_ == 0) return;
    wrap_check();
    line_ += " r*";
    // Sums beyond 2^31 ticks print as the signed 32-bit number they hold.
    append_int(static_cast<int32_t>(pending_rest_));
    pending_rest_ = 0;
}

void KvtWriter::channel_item(uint8_t status)
{
    const int channel = status & 0x0F;
    if (channel == last_channel_) return;
    wrap_check();
    line_ += " :";
    append_int(channel);
    last_channel_ = channel;
}

// The octave prefix is written only when the octave changes; the compiler
// takes it as a change of the track's octave, so it is recorded.
void KvtWriter::append_octave_and_name(uint8_t key)
{
    const int octave = octave_of(key);
    if (octave != last_octave_) {
        line_ += 'o';
        append_int(octave);
        last_octave_ = octave;
    }
    line_ += kNoteNames[key % 12];
}

smf::ReadError KvtWriter::write_track(uint16_t index, const uint8_t* chunk, uint32_t length)
{
    track_ = index;
    pending_rest_ = 0;
    last_octave_ = -2;
    last_channel_ = -1;
    last_velocity_ = -1;

    line_ = "#";
    append_int(index);
    if (index == 0) {
        line_ += " %";
        append_int(4 * int64_t{division_});
    }
    line_ += " `+1 /----------\r\n";
    write_line();

    const smf::ReadError tail_error = smf::read_track_events(chunk, length, events_);
    lengths_.build(events_, tail_error);
    for (size_t i = 0; i < events_.size(); ++i) {
        if (smf::ReadError e = write_event(i); e != smf::ReadError::None) {
            line_.clear();
            return e;
        }
    }
    if (tail_error != smf::ReadError::None) {
        line_.clear();
        return tail_error;
    }
    line_ += line_.empty() ? "\r\n" : "\r\n\r\n";
    write_line();
    return smf::ReadError::None;
}

smf::ReadError KvtWriter::write_event(size_t index)
{
    const smf::SmfEvent& e = events_[index];
    pending_rest_ += e.delta;
    if (e.clamped) notes_.clamped_data = true;
    switch (e.status) {
    case 0xF0:
    case 0xF7: write_sysex(e); return smf::ReadError::None;
    case 0xFF: write_meta(e); return smf::ReadError::None;
    default: break;
    }
    const uint8_t kind = e.status & 0xF0;
    if (kind == 0x80 || (kind == 0x90 && e.data2 == 0))
        return smf::ReadError::None; // the time stays in the pending rest
    if (kind == 0x90) return write_note_on(index);
    write_channel_message(e);
    return smf::ReadError::None;
}

smf::ReadError KvtWriter::write_note_on(size_t index)
{
    const smf::SmfEvent& e = events_[index];
    flush_rest();
    channel_item(e.status);
    if (e.data2 != last_velocity_) {
        last_velocity_ = e.data2;
        wrap_check();
        line_ += " u";
        append_int(e.data2);
    }
    wrap_check();
    line_ += ' ';
    append_octave_and_name(e.data1);
    uint32_t length = 0;
    if (smf::ReadError err = lengths_.length_at(index, length); err != smf::ReadError::None) return err;
    line_ += '*';
    append_int(static_cast<int32_t>(length));
    return smf::ReadError::None;
}

void KvtWriter::write_channel_message(const smf::SmfEvent& e)
{
    flush_rest();
    channel_item(e.status);
    wrap_check();
    switch (e.status & 0xF0) {
    case 0xA0:
        // «z» note value: the form the compiler reads as key pressure.
        line_ += " z";
        append_octave_and_name(e.data1);
        append_int(e.data2);
        break;
    case 0xB0:
        switch (e.data1) {
        case 0: line_ += " i"; break;
        case 7: line_ += " v"; break;
        case 10: line_ += " p"; break;
        case 11: line_ += " x"; break;
        case 32: line_ += " i,"; break;
        default:
            line_ += " y";
            append_int(e.data1);
            line_ += ',';
            break;
        }
        append_int(e.data2);
        break;
    case 0xC0:
        line_ += " @";
        append_int(e.data1 + 1);
        break;
    case 0xD0:
        line_ += " z";
        append_int(e.data1);
        break;
    default: // 0xE0
        line_ += " k";
        append_int((e.data2 & 0x7F) * 128 + (e.data1 & 0x7F) - 8192);
        break;
    }
}

void KvtWriter::write_sysex(const smf::SmfEvent& e)
{
    flush_rest();
    end_line_if_any();
    const uint32_t bytes = e.length + (e.status == 0xF0 ? 1 : 0);
    if (bytes > kMaxItemBytes) notes_.pass(TextLimit::SysexTooLong, track_, bytes);
    line_ += e.status == 0xF0 ? " ${f0" : " ${";
    append_hex(e.payload, e.length);
    line_ += "}\r\n";
    write_line();
}

void KvtWriter::write_meta(const smf::SmfEvent& e)
{
    flush_rest();
    const uint8_t type = e.data1;
    if (type == kMetaEndOfTrack) {
        end_line_if_any();
        line_ += " /[end of track]\r\n";
        write_line();
        return;
    }
    // A tempo event needs its three bytes; a shorter one is kept as an
    // ordinary meta item rather than read beyond its data.
    if (type == kMetaTempo && e.length >= 3) {
        write_tempo(e);
        return;
    }
    if (e.length == 0) {
        // Written without a line end: the next items continue the line.
        line_ += " ?";
        append_int(type);
        write_line();
        return;
    }
    end_line_if_any();
    if (e.length > kMaxItemBytes) notes_.pass(TextLimit::MetaTooLong, track_, e.length);
    line_ += " ?";
    append_int(type);
    if (!is_binary_meta(type) && is_printable(e.payload, e.length)) {
        line_ += '"';
        line_.append(reinterpret_cast<const char*>(e.payload), e.length);
        line_ += '"';
    } else {
        line_ += '{';
        append_hex(e.payload, e.length);
        line_ += '}';
    }
    line_ += "\r\n";
    write_line();
}

// The raw tempo of the source language is 1/256 ms per tick:
// microseconds per quarter note x 256 / (division x 1000).
void KvtWriter::write_tempo(const smf::SmfEvent& e)
{
    const uint32_t micros = static_cast<uint32_t>(e.payload[0]) << 16 | e.payload[1] << 8 | e.payload[2];
    uint32_t raw = micros * 256 / (uint32_t{division_} * 1000);
    if (raw == 0) raw = 1;
    if (raw > kMaxRawTempo) raw = kMaxRawTempo;
    wrap_check();
    line_ += " t*";
    append_int(raw);
}

} // namespace mid2kvt
