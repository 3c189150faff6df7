#include "smf/track_writer.h"

#include "smf/smf_bytes.h"

namespace smf {

namespace {

constexpr uint32_t kMetaPiece = 255;
constexpr uint32_t kMaxTempo = 0xFFFFFF;

// Meta types whose data length Standard MIDI File 1.0 fixes: channel
// prefix, port, tempo, SMPTE offset, time and key signature.  Readers refuse
// a file in which one of them has another length.
struct FixedLengthMeta {
    uint8_t type;
    uint32_t length;
};
constexpr FixedLengthMeta kFixedLengthMetas[] = {{0x20, 1}, {0x21, 1}, {0x51, 3}, {0x54, 5}, {0x58, 4}, {0x59, 2}};

bool has_fixed_length_mismatch(uint8_t type, uint32_t length)
{
    for (const FixedLengthMeta& m : kFixedLengthMetas)
        if (m.type == type) return m.length != length;
    return false;
}

} // namespace

uint32_t tempo_microseconds(uint32_t raw_tempo, uint32_t timebase)
{
    // A quarter note is timebase / 4 ticks of raw_tempo / 256 ms.
    const uint64_t t = (uint64_t{raw_tempo} * timebase * 250 + 128) >> 8;
    if (t < 1) return 1;
    return t > kMaxTempo ? kMaxTempo : uint32_t(t);
}

void TrackWriter::begin_track()
{
    events_.clear();
    pending_delta_ = 0;
    running_status_ = 0;
}

bool TrackWriter::take_delta()
{
    if (!append_vlq(events_, pending_delta_)) return false;
    pending_delta_ = 0;
    return true;
}

WriteResult TrackWriter::channel_message(uint8_t status, uint8_t data1)
{
    if (!take_delta()) return WriteResult::DeltaTooLong;
    if (status != running_status_) {
        events_.push_back(status);
        running_status_ = status;
    }
    events_.push_back(data1);
    return WriteResult::Ok;
}

WriteResult TrackWriter::channel_message(uint8_t status, uint8_t data1, uint8_t data2)
{
    const WriteResult r = channel_message(status, data1);
    if (r == WriteResult::Ok) events_.push_back(data2);
    return r;
}

WriteResult TrackWriter::note_on(uint8_t channel, uint8_t key, uint8_t velocity)
{
    return channel_message(uint8_t(0x90 | (channel & 0x0F)), key, velocity);
}

WriteResult TrackWriter::note_off(uint8_t channel, uint8_t key, uint8_t release_velocity)
{
    // Without off-velocity a note-off is a note-on of velocity 0, which
    // shares the running status with the note-ons.
    if (off_velocity_) return channel_message(uint8_t(0x80 | (channel & 0x0F)), key, release_velocity);
    return channel_message(uint8_t(0x90 | (channel & 0x0F)), key, 0);
}

WriteResult TrackWriter::key_pressure(uint8_t channel, uint8_t key, uint8_t value)
{
    return channel_message(uint8_t(0xA0 | (channel & 0x0F)), key, value);
}

WriteResult TrackWriter::control_change(uint8_t channel, uint8_t controller, uint8_t value)
{
    return channel_message(uint8_t(0xB0 | (channel & 0x0F)), controller, value);
}

WriteResult TrackWriter::program_change(uint8_t channel, uint8_t program)
{
    return channel_message(uint8_t(0xC0 | (channel & 0x0F)), program);
}

WriteResult TrackWriter::channel_pressure(uint8_t channel, uint8_t value)
{
    return channel_message(uint8_t(0xD0 | (channel & 0x0F)), value);
}

WriteResult TrackWriter::pitch_bend(uint8_t channel, int32_t value)
{
    const uint32_t biased = uint32_t(value + 8192);
    return channel_message(uint8_t(0xE0 | (channel & 0x0F)), uint8_t(biased & 0x7F), uint8_t((biased >> 7) & 0x7F));
}

WriteResult TrackWriter::sysex(const uint8_t* message, uint32_t length)
{
    if (!take_delta()) return WriteResult::DeltaTooLong;
    running_status_ = 0;
    if (length >= 2 && message[0] == 0xF0 && message[length - 1] == 0xF7) {
        events_.push_back(0xF0);
        append_vlq(events_, length - 1);
        events_.insert(events_.end(), message + 1, message + length);
    } else {
        events_.push_back(0xF7);
        append_vlq(events_, length);
        events_.insert(events_.end(), message, message + length);
    }
    return WriteResult::Ok;
}

WriteResult TrackWriter::meta(uint8_t type, const uint8_t* payload, uint32_t length)
{
    if (type > 127 || has_fixed_length_mismatch(type, length)) return WriteResult::Ok;
    uint32_t done = 0;
    do {
        const uint32_t piece = length - done < kMetaPiece ? length - done : kMetaPiece;
        if (!take_delta()) return WriteResult::DeltaTooLong;
        running_status_ = 0;
        events_.push_back(0xFF);
        events_.push_back(type);
        append_vlq(events_, piece);
        events_.insert(events_.end(), payload + done, payload + done + piece);
        done += piece;
    } while (done < length);
    return WriteResult::Ok;
}

WriteResult TrackWriter::tempo(uint32_t raw_tempo, uint32_t timebase)
{
    std::vector<uint8_t> bytes;
    append_be24(bytes, tempo_microseconds(raw_tempo, timebase));
    return meta(0x51, bytes.data(), uint32_t(bytes.size()));
}

WriteResult TrackWriter::end_of_track(bool carry_pending_delta)
{
    if (!carry_pending_delta) pending_delta_ = 0;
    if (!take_delta()) return WriteResult::DeltaTooLong;
    running_status_ = 0;
    events_.push_back(0xFF);
    events_.push_back(0x2F);
    events_.push_back(0x00);
    return WriteResult::Ok;
}

} // namespace smf
