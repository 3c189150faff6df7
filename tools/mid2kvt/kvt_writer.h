// KVT source text for the track chunks of a Standard MIDI File.
//
// Every track sets option 1 (notes do not wait their length), every note
// carries its length in ticks and all time is carried by rest items, so one
// source tick is one file tick: track 0 sets the timebase to four times the
// file's division.  Lines end in CR LF and wrap once they reach 72 bytes.
#pragma once

#include "mid2kvt/import_notes.h"
#include "mid2kvt/note_lengths.h"
#include "smf/read_error.h"
#include "smf/smf_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mid2kvt {

// Where finished lines go, in order.
class KvtSink {
public:
    virtual ~KvtSink() = default;
    virtual void write(const char* bytes, size_t n) = 0;
};

class KvtWriter {
public:
    // division: ticks per quarter note, 1 to 65535.  What the text cannot
    // say as the file did is added to `notes`.
    KvtWriter(KvtSink& sink, uint16_t division, ImportNotes& notes) : sink_(sink), division_(division), notes_(notes) {}

    // Writes the text of chunk `index` (0 to 65535) as it is produced.  On a
    // read error the lines written so far stay and the unfinished line is
    // dropped; the error is returned.
    smf::ReadError writeTrack(uint16_t index, const uint8_t* chunk, uint32_t length);

private:
    smf::ReadError writeEvent(size_t index);
    smf::ReadError writeNoteOn(size_t index);
    void writeChannelMessage(const smf::SmfEvent& e);
    void writeSysex(const smf::SmfEvent& e);
    void writeMeta(const smf::SmfEvent& e);
    void writeTempo(const smf::SmfEvent& e);

    void appendInt(int64_t value);
    void appendHex(const uint8_t* bytes, uint32_t n);
    void appendOctaveAndName(uint8_t key);
    void writeLine();
    void endLineIfAny();
    void wrapCheck();
    void flushRest();
    void channelItem(uint8_t status);

    KvtSink& sink_;
    uint16_t division_;
    ImportNotes& notes_;
    uint16_t track_ = 0;
    std::string line_;
    std::vector<smf::SmfEvent> events_;
    NoteLengths lengths_;

    // Per track.  The last values are ints so that "none yet" (-1, -2)
    // never equals a byte read from the file.
    uint32_t pendingRest_ = 0;
    int lastOctave_ = -2;
    int lastChannel_ = -1;
    int lastVelocity_ = -1;
};

} // namespace mid2kvt
