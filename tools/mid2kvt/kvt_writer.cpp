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
bool isBinaryMeta(uint8_t type) { return type == 0x54 || type == 0x58 || type == 0x59 || type == 0x7F; }

// Bytes that can stand between the double quotes of an info item: a double
// quote would end the text early and the rest would read as commands.
bool isPrintable(const uint8_t* bytes, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i)
        if (bytes[i] < 0x20 || bytes[i] == 0x7F || bytes[i] == '"') return false;
    return true;
}

int octaveOf(uint8_t key) { return key / 12 - 1; }

} // namespace

void KvtWriter::appendInt(int64_t value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    line_.append(digits, result.ptr);
}

void KvtWriter::appendHex(const uint8_t* bytes, uint32_t n)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (uint32_t i = 0; i < n; ++i) {
        line_ += kDigits[bytes[i] >> 4];
        line_ += kDigits[bytes[i] & 0x0F];
    }
}

void KvtWriter::writeLine()
{
    sink_.write(line_.data(), line_.size());
    line_.clear();
}

void KvtWriter::endLineIfAny()
{
    if (!line_.empty()) line_ += "\r\n";
}

void KvtWriter::wrapCheck()
{
    if (line_.size() >= kWrapColumn) {
        line_ += "\r\n";
        writeLine();
    }
}

void KvtWriter::flushRest()
{
    if (pendingRest_ == 0) return;
    wrapCheck();
    line_ += " r*";
    // Sums beyond 2^31 ticks print as the signed 32-bit number they hold.
    appendInt(static_cast<int32_t>(pendingRest_));
    pendingRest_ = 0;
}

void KvtWriter::channelItem(uint8_t status)
{
    const int channel = status & 0x0F;
    if (channel == lastChannel_) return;
    wrapCheck();
    line_ += " :";
    appendInt(channel);
    lastChannel_ = channel;
}

// The octave prefix is written only when the octave changes; the compiler
// takes it as a change of the track's octave, so it is recorded.
void KvtWriter::appendOctaveAndName(uint8_t key)
{
    const int octave = octaveOf(key);
    if (octave != lastOctave_) {
        line_ += 'o';
        appendInt(octave);
        lastOctave_ = octave;
    }
    line_ += kNoteNames[key % 12];
}

smf::ReadError KvtWriter::writeTrack(uint16_t index, const uint8_t* chunk, uint32_t length)
{
    track_ = index;
    pendingRest_ = 0;
    lastOctave_ = -2;
    lastChannel_ = -1;
    lastVelocity_ = -1;

    line_ = "#";
    appendInt(index);
    if (index == 0) {
        line_ += " %";
        appendInt(4 * int64_t{division_});
    }
    line_ += " `+1 /----------\r\n";
    writeLine();

    const smf::ReadError tailError = smf::readTrackEvents(chunk, length, events_);
    lengths_.build(events_, tailError);
    for (size_t i = 0; i < events_.size(); ++i) {
        if (smf::ReadError e = writeEvent(i); e != smf::ReadError::None) {
            line_.clear();
            return e;
        }
    }
    if (tailError != smf::ReadError::None) {
        line_.clear();
        return tailError;
    }
    line_ += line_.empty() ? "\r\n" : "\r\n\r\n";
    writeLine();
    return smf::ReadError::None;
}

smf::ReadError KvtWriter::writeEvent(size_t index)
{
    const smf::SmfEvent& e = events_[index];
    pendingRest_ += e.delta;
    if (e.clamped) notes_.clampedData = true;
    switch (e.status) {
    case 0xF0:
    case 0xF7: writeSysex(e); return smf::ReadError::None;
    case 0xFF: writeMeta(e); return smf::ReadError::None;
    default: break;
    }
    const uint8_t kind = e.status & 0xF0;
    if (kind == 0x80 || (kind == 0x90 && e.data2 == 0))
        return smf::ReadError::None; // the time stays in the pending rest
    if (kind == 0x90) return writeNoteOn(index);
    writeChannelMessage(e);
    return smf::ReadError::None;
}

smf::ReadError KvtWriter::writeNoteOn(size_t index)
{
    const smf::SmfEvent& e = events_[index];
    flushRest();
    channelItem(e.status);
    if (e.data2 != lastVelocity_) {
        lastVelocity_ = e.data2;
        wrapCheck();
        line_ += " u";
        appendInt(e.data2);
    }
    wrapCheck();
    line_ += ' ';
    appendOctaveAndName(e.data1);
    uint32_t length = 0;
    if (smf::ReadError err = lengths_.lengthAt(index, length); err != smf::ReadError::None) return err;
    line_ += '*';
    appendInt(static_cast<int32_t>(length));
    return smf::ReadError::None;
}

void KvtWriter::writeChannelMessage(const smf::SmfEvent& e)
{
    flushRest();
    channelItem(e.status);
    wrapCheck();
    switch (e.status & 0xF0) {
    case 0xA0:
        // «z» note value: the form the compiler reads as key pressure.
        line_ += " z";
        appendOctaveAndName(e.data1);
        appendInt(e.data2);
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
            appendInt(e.data1);
            line_ += ',';
            break;
        }
        appendInt(e.data2);
        break;
    case 0xC0:
        line_ += " @";
        appendInt(e.data1 + 1);
        break;
    case 0xD0:
        line_ += " z";
        appendInt(e.data1);
        break;
    default: // 0xE0
        line_ += " k";
        appendInt((e.data2 & 0x7F) * 128 + (e.data1 & 0x7F) - 8192);
        break;
    }
}

void KvtWriter::writeSysex(const smf::SmfEvent& e)
{
    flushRest();
    endLineIfAny();
    const uint32_t bytes = e.length + (e.status == 0xF0 ? 1 : 0);
    if (bytes > kMaxItemBytes) notes_.pass(TextLimit::SysexTooLong, track_, bytes);
    line_ += e.status == 0xF0 ? " ${f0" : " ${";
    appendHex(e.payload, e.length);
    line_ += "}\r\n";
    writeLine();
}

void KvtWriter::writeMeta(const smf::SmfEvent& e)
{
    flushRest();
    const uint8_t type = e.data1;
    if (type == kMetaEndOfTrack) {
        endLineIfAny();
        line_ += " /[end of track]\r\n";
        writeLine();
        return;
    }
    // A tempo event needs its three bytes; a shorter one is kept as an
    // ordinary meta item rather than read beyond its data.
    if (type == kMetaTempo && e.length >= 3) {
        writeTempo(e);
        return;
    }
    if (e.length == 0) {
        // Written without a line end: the next items continue the line.
        line_ += " ?";
        appendInt(type);
        writeLine();
        return;
    }
    endLineIfAny();
    if (e.length > kMaxItemBytes) notes_.pass(TextLimit::MetaTooLong, track_, e.length);
    line_ += " ?";
    appendInt(type);
    if (!isBinaryMeta(type) && isPrintable(e.payload, e.length)) {
        line_ += '"';
        line_.append(reinterpret_cast<const char*>(e.payload), e.length);
        line_ += '"';
    } else {
        line_ += '{';
        appendHex(e.payload, e.length);
        line_ += '}';
    }
    line_ += "\r\n";
    writeLine();
}

// The raw tempo of the source language is 1/256 ms per tick:
// microseconds per quarter note x 256 / (division x 1000).
void KvtWriter::writeTempo(const smf::SmfEvent& e)
{
    const uint32_t micros = static_cast<uint32_t>(e.payload[0]) << 16 | e.payload[1] << 8 | e.payload[2];
    uint32_t raw = micros * 256 / (uint32_t{division_} * 1000);
    if (raw == 0) raw = 1;
    if (raw > kMaxRawTempo) raw = kMaxRawTempo;
    wrapCheck();
    line_ += " t*";
    appendInt(raw);
}

} // namespace mid2kvt
