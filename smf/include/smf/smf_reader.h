// Standard MIDI File reader: the header, the track chunks and the event
// grammar, over a byte buffer held by the caller.  Nothing reads past the
// buffer; every failure is a ReadError.
#pragma once

#include "smf/byte_cursor.h"
#include "smf/read_error.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace smf {

struct SmfHeader {
    uint16_t format;     // read, not used: format 2 is read as format 1
    uint16_t trackCount; // announced track chunks
    uint16_t division;   // ticks per quarter note, 1 to 65535 (a time-code
                         // division is taken as the same plain number)
    size_t chunksOffset; // file offset of the first chunk after the header
};

// Tests "MThd", the header length (6 or more) and a nonzero division.
ReadError readHeader(const uint8_t* data, size_t size, SmfHeader& out);

// Reads the next chunk header, which must be "MTrk", and hands out the
// chunk's bytes; the cursor moves past the chunk.
ReadError readTrackChunk(ByteCursor& file, const uint8_t*& chunk, uint32_t& length);

// One event of a track chunk.  Channel messages carry their status with the
// running status applied; SysEx (F0, F7) and meta (FF) events point at their
// payload inside the chunk.
struct SmfEvent {
    uint32_t delta;         // ticks since the previous event, below 0x10000000
    uint8_t status;         // 80-EF, F0, F7 or FF
    uint8_t data1;          // first data byte (0-127); the type of a meta event
    uint8_t data2;          // second data byte (0-127) of 8n, 9n, An, Bn, En; else 0
    bool clamped;           // a data byte of 80-FF in the file was read as 127
    uint32_t length;        // payload bytes of SysEx and meta events
    const uint8_t* payload; // null when length is 0
};

inline bool isNoteOn(const SmfEvent& e) { return (e.status & 0xF0) == 0x90 && e.data2 != 0; }
// Note off or note on, any velocity: the events that end a note of their key.
inline bool isNoteEvent(const SmfEvent& e) { return (e.status & 0xE0) == 0x80; }

// A variable-length quantity of at most kMaxVlqBytes bytes.
ReadError readVlq(ByteCursor& in, uint32_t& out);

// Reads one event; runningStatus is the last channel status (0 for none).
// A channel message sets it; SysEx and meta events leave it as it is, so
// that a channel message after them may still omit its status, as common
// readers allow.
ReadError readEvent(ByteCursor& in, uint8_t& runningStatus, SmfEvent& out);

// Reads the events of one chunk in order into `out` until the chunk ends or
// an event cannot be read; returns that event's error (None at the end).
ReadError readTrackEvents(const uint8_t* chunk, uint32_t length, std::vector<SmfEvent>& out);

} // namespace smf
