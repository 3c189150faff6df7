// Channel state and the send rules: filters, only-if-changed, skip-mode
// holding and the output mode decide whether and when a value reaches the
// host.  `track` is the track on whose behalf a value is sent.
#pragma once

#include "state.h"

#include <cstddef>
#include <cstdint>

namespace zemplay {

void initPort(Port& port, unsigned index);

int32_t controllerValue(const Channel& ch, unsigned controller);
int32_t bendValue(const Instance& in, const Track& t, const Channel& ch);

void sendController(Instance& in, unsigned track, unsigned port, unsigned channel, unsigned controller,
                    bool onlyIfChanged);
void sendBend(Instance& in, unsigned track, unsigned port, unsigned channel, bool onlyIfChanged);
void sendKeyPressure(Instance& in, unsigned track, unsigned port, unsigned channel, unsigned key, bool onlyIfChanged);
void sendChanPressure(Instance& in, unsigned track, unsigned port, unsigned channel, bool onlyIfChanged);
void sendProgram(Instance& in, unsigned track, unsigned port, unsigned channel, unsigned program, bool onlyIfChanged);
// velocity 1..127 before the track's velocity scale.
void sendNoteOn(Instance& in, unsigned track, unsigned port, unsigned channel, unsigned key, int velocity);
// velocity 1..127 before the track's release scale; nothing for a silent key.
void sendNoteOff(Instance& in, unsigned track, unsigned port, unsigned channel, unsigned key, int velocity);
void sendExclusive(Instance& in, unsigned track, const uint8_t* bytes, size_t count);

// Kinds of held-back values, for flushing one mark or all of them.
enum HeldKind : unsigned {
    kHeldController = 1,
    kHeldBend = 2,
    kHeldChanp = 4,
    kHeldKeyp = 8,
    kHeldProgram = 16,
    kHeldAll = 31
};
// Sends the held-back values of one port (controller only that one when
// kind is kHeldController and controller < 128).
void flushPort(Instance& in, unsigned port, unsigned kinds, unsigned controller = 128);
void flushAllPorts(Instance& in);

// Velocity scaling: v * scale / 256, 1 when that is below 1, at most 127.
constexpr int scaleVelocity(int v, int32_t scale)
{
    int64_t s = int64_t{v} * scale;
    return s < 256 ? 1 : static_cast<int>(s >> 8 > 127 ? 127 : s >> 8);
}

} // namespace zemplay
