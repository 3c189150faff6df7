// The velocity items shared by the top-level commands and the chord
// prefixes, so that a value means the same inside a chord as outside.
#pragma once

#include "lexer.h"

#include <cstdint>

namespace kvt {

// At most two words: a clear word, then an add, set or commit word.
struct VelocityWords {
    uint16_t words[2];
    unsigned count = 0;
};

// After «U» and its optional «*» (release): [«!»] («^» v | n | nothing).
// v is clamped to -127..127; n must be 1..127.
VelocityWords readVelocityItem(Cursor& cur, bool release);

// The signed change of «~» [n] (up) or «_» [n]: n defaults to 1 and is
// clamped, as the unsigned number it is written as, to 0..127.
int32_t readVelocityStep(Cursor& cur, uint8_t c);

// VEL_ADD (RVEL_ADD when release) of delta clamped to -127..127.
uint16_t velocityAddWord(bool release, int32_t delta);

} // namespace kvt
