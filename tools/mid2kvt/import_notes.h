// What one file's text cannot say as the file did, told to the user once per
// file: data bytes that had to be clamped, and the first thing the compiler
// will not read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mid2kvt {

// Limits of KVT text that a Standard MIDI File can pass.
enum class TextLimit {
    None,
    DivisionTooLarge, // four times the division is past the timebase's 65535
    TooManyTracks,    // track numbers stop at 255
    MetaTooLong,      // an info item holds at most 255 bytes
    SysexTooLong,     // a system-exclusive message holds at most 255 bytes
};

struct ImportNotes {
    bool clampedData = false; // data bytes of 80-FF were read as 127
    TextLimit limit = TextLimit::None;
    uint32_t limitTrack = 0; // the track of the first limit passed
    uint32_t limitValue = 0; // the timebase, or the bytes the item would hold

    // Keeps the first limit passed; later ones are the same story.
    void pass(TextLimit what, uint32_t track, uint32_t value)
    {
        if (limit != TextLimit::None) return;
        limit = what;
        limitTrack = track;
        limitValue = value;
    }
};

// The texts to show, in order: none when the file converted as it was.
std::vector<std::string> importNoteMessages(const ImportNotes& notes);

} // namespace mid2kvt
