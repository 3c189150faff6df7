// What one compilation knows beyond a single pass: the text, the tracks
// found present and their indexes, and the values the header collects.
#pragma once

#include "selection_map.h"
#include "track_state.h"

#include <cstdint>
#include <vector>

namespace kvt {

class ImageWriter;
class SourceMapBuilder;

// Info item types whose first payload offset in track 0 goes to the header.
inline constexpr uint8_t kHeaderInfoTypes[4] = {3, 2, 190, 191};

struct CompileContext {
    const uint8_t* text;
    uint32_t length;
    uint16_t startConditionMask;
    TrackSet present;
    uint8_t trackIndex[256];
    uint16_t trackCount;
    uint32_t timebaseMax;
    uint32_t infoOffsets[4]; // file offsets, in the order of kHeaderInfoTypes; 0 = none
};

// A chord's notes as read, with the gate and velocity words each note's
// prefixes write before it; kept across chords to reuse the storage.
struct ChordScratch {
    struct Note {
        uint8_t pitch;
        uint32_t gateWordsEnd;
        uint32_t velocityWordsEnd;
    };
    std::vector<Note> notes;
    std::vector<uint16_t> gateWords;
    std::vector<uint16_t> velocityWords;
};

// One pass over the text: the shared context, the state of the track being
// compiled, and where its words go.
struct Parser {
    CompileContext& ctx;
    TrackState st;
    ImageWriter* out;  // set while emitting
    TrackSet interest; // scan: the tracks whose presence is wanted
    TrackSet* found;   // scan: receives the tracks found present
    ChordScratch chord;
    // Scan: records where the text switches tracks.  Emission: where to
    // jump over text that is not this track's.
    SelectionMap* map = nullptr;
    size_t selectionsDone = 0; // «#» commands run so far (emission)
    // Emission: told which command wrote which words, when a map is wanted.
    SourceMapBuilder* sourceMap = nullptr;

    // A content command has been recognised at this point of the text.
    void content()
    {
        if (st.mode == PassMode::Scan) markContent();
    }

private:
    void markContent();
};

// Thrown by content() once every track of interest is present: the scan
// ends there, before the rest of the command is read.
struct ScanComplete {};

} // namespace kvt
