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

bool hasFixedLengthMismatch(uint8_t type, uint32_t length)
{
    for (const FixedLengthMeta& m : kFixedLengthMetas)
        if (m.type == type) return m.length != length;
    return false;
}

} // namespace

uint32_t tempoMicroseconds(uint32_t rawTempo, uint32_t timebase)
{
    // A quarter note is timebase / 4 ticks of rawTempo / 256 ms.
    const uint64_t t = (uint64_t{rawTempo} * timebase * 250 + 128) >> 8;
    if (t < 1) return 1;
    return t > kMaxTempo ? kMaxTempo : uint32_t(t);
}

void TrackWriter::beginTrack()
{
    events_.clear();
    pendingDelta_ = 0;
    runningStatus_ = 0;
}

bool TrackWriter::takeDelta()
{
    if (!appendVlq(events_, pendingDelta_)) return false;
    pendingDelta_ = 0;
    return true;
}

WriteResult TrackWriter::channelMessage(uint8_t status, uint8_t data1)
{
    if (!takeDelta()) return WriteResult::DeltaTooLong;
    if (status != runningStatus_) {
        events_.push_back(status);
        runningStatus_ = status;
    }
    events_.push_back(data1);
    return WriteResult::Ok;
}

WriteResult TrackWriter::channelMessage(uint8_t status, uint8_t data1, uint8_t data2)
{
    const WriteResult r = channelMessage(status, data1);
    if (r == WriteResult::Ok) events_.push_back(data2);
    return r;
}

WriteResult TrackWriter::noteOn(uint8_t channel, uint8_t key, uint8_t velocity)
{
    return channelMessage(uint8_t(0x90 | (channel & 0x0F)), key, velocity);
}

WriteResult TrackWriter::noteOff(uint8_t channel, uint8_t key, uint8_t releaseVelocity)
{
    // Without off-velocity a note-off is a note-on of velocity 0, which
    // shares the running status with the note-ons.
    if (offVelocity_) return channelMessage(uint8_t(0x80 | (channel & 0x0F)), key, releaseVelocity);
    return channelMessage(uint8_t(0x90 | (channel & 0x0F)), key, 0);
}

WriteResult TrackWriter::keyPressure(uint8_t channel, uint8_t key, uint8_t value)
{
    return channelMessage(uint8_t(0xA0 | (channel & 0x0F)), key, value);
}

WriteResult TrackWriter::controlChange(uint8_t channel, uint8_t controller, uint8_t value)
{
    return channelMessage(uint8_t(0xB0 | (channel & 0x0F)), controller, value);
}

WriteResult TrackWriter::programChange(uint8_t channel, uint8_t program)
{
    return channelMessage(uint8_t(0xC0 | (channel & 0x0F)), program);
}

WriteResult TrackWriter::channelPressure(uint8_t channel, uint8_t value)
{
    return channelMessage(uint8_t(0xD0 | (channel & 0x0F)), value);
}

WriteResult TrackWriter::pitchBend(uint8_t channel, int32_t value)
{
    const uint32_t biased = uint32_t(value + 8192);
    return channelMessage(uint8_t(0xE0 | (channel & 0x0F)), uint8_t(biased & 0x7F), uint8_t((biased >> 7) & 0x7F));
}

WriteResult TrackWriter::sysex(const uint8_t* message, uint32_t length)
{
    if (!takeDelta()) return WriteResult::DeltaTooLong;
    runningStatus_ = 0;
    if (length >= 2 && message[0] == 0xF0 && message[length - 1] == 0xF7) {
        events_.push_back(0xF0);
        appendVlq(events_, length - 1);
        events_.insert(events_.end(), message + 1, message + length);
    } else {
        events_.push_back(0xF7);
        appendVlq(events_, length);
        events_.insert(events_.end(), message, message + length);
    }
    return WriteResult::Ok;
}

WriteResult TrackWriter::meta(uint8_t type, const uint8_t* payload, uint32_t length)
{
    if (type > 127 || hasFixedLengthMismatch(type, length)) return WriteResult::Ok;
    uint32_t done = 0;
    do {
        const uint32_t piece = length - done < kMetaPiece ? length - done : kMetaPiece;
        if (!takeDelta()) return WriteResult::DeltaTooLong;
        runningStatus_ = 0;
        events_.push_back(0xFF);
        events_.push_back(type);
        appendVlq(events_, piece);
        events_.insert(events_.end(), payload + done, payload + done + piece);
        done += piece;
    } while (done < length);
    return WriteResult::Ok;
}

WriteResult TrackWriter::tempo(uint32_t rawTempo, uint32_t timebase)
{
    std::vector<uint8_t> bytes;
    appendBe24(bytes, tempoMicroseconds(rawTempo, timebase));
    return meta(0x51, bytes.data(), uint32_t(bytes.size()));
}

WriteResult TrackWriter::endOfTrack(bool carryPendingDelta)
{
    if (!carryPendingDelta) pendingDelta_ = 0;
    if (!takeDelta()) return WriteResult::DeltaTooLong;
    runningStatus_ = 0;
    events_.push_back(0xFF);
    events_.push_back(0x2F);
    events_.push_back(0x00);
    return WriteResult::Ok;
}

} // namespace smf
