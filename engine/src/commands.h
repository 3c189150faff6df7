// The command interpreter's shared pieces: the executing track, bounded
// operand reads, and the handlers of each command family.
#pragma once

#include "state.h"

#include <cstddef>
#include <cstdint>

namespace zemplay {

struct Exec {
    Instance& in;
    Track& t;
    unsigned index; // of t
};

// The next operand word; past the end of the stream it is error 7 and 0.
uint16_t readWord(Exec& x);
// A length operand: one word, or two when bit 12 of the first is set.
uint32_t readLength(Exec& x);
// The next `count` payload bytes, occupying `size` bytes of the stream.
// Bytes beyond the end of the stream are error 6: nothing is executed and
// the track ends, because nothing after them can be trusted.
const uint8_t* takePayload(Exec& x, uint32_t count, uint32_t size);

// Runs one command of the track.
void executeCommand(Instance& in, unsigned track);

using Handler = void (*)(Exec&, uint16_t word);

// Channel values, slides, velocities, gate (channel_commands.cpp).
void cmdModSet(Exec& x, uint16_t w);
void cmdCtrl(Exec& x, uint16_t w);
void cmdBend(Exec& x, uint16_t w);
void cmdProgramOrChanPressure(Exec& x, uint16_t w);
void cmdKeyPressure(Exec& x, uint16_t w);
void cmdSlide(Exec& x, uint16_t w);
void cmdCtrlCommitClear(Exec& x, uint16_t w);
void cmdKeypCommitClear(Exec& x, uint16_t w);
void cmdVelAdd(Exec& x, uint16_t w);
void cmdVelSet(Exec& x, uint16_t w);
void cmdRvelAdd(Exec& x, uint16_t w);
Handler extendedChannelHandler(uint16_t w); // 0xFFD8..0xFFF7 and 0xFFFB, null otherwise

// PARAM registers (params.cpp), META (meta.cpp), MACRO (macros.cpp).
void cmdParam(Exec& x, uint16_t w);
void cmdMeta(Exec& x, uint16_t w);
void cmdMacro(Exec& x, uint16_t w);

} // namespace zemplay
