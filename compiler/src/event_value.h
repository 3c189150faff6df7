// The value syntax shared by controllers, pitch bend and pressures:
// [«!»] (first value | «^» relative | nothing) [«,» length [«,» second]] [«&»]
#pragma once

#include "compile_context.h"
#include "value_syntax.h"
#include "zem/command_words.h"

#include <cstdint>

namespace kvt {

struct EventValue {
    bool given;
    bool relative;
    int32_t value;
};

struct EventForm {
    bool clear;
    EventValue first;
    bool slide;
    int32_t length;
    EventValue second;
    bool tie;
};

// Reads the form; values are signed when `signedValues` (pitch bend).
EventForm readEventForm(TrackState& st, bool signedValues);

// Writes SLIDE with its flags, the first operand, the second operand when
// `hasSecondWord`, and the length when it differs from the last length
// (which then becomes it).
void writeSlide(Parser& p, zem::SlideKind kind, const EventForm& form, uint16_t firstWord, bool hasSecondWord,
                uint16_t secondWord);

// Ends the command: «&» keeps a slur chain going, anything else ends it.
// Returns the length a slur measurement counts.
int32_t finishEvent(TrackState& st, const EventForm& form);

} // namespace kvt
