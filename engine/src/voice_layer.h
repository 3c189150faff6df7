// The voice layer and the stream slots inside the engine: the PARAM
// registers and META events that drive them, note ons and offs of ports in
// output mode 1, and the stepping after every advance.
#pragma once

#include "stream_slots.h"
#include "voice_pool.h"

#include <cstdint>

namespace zemplay {

struct Instance;
struct Exec;

struct VoiceLayer {
    VoicePool* pool; // created by PARAM 101
    VoiceSettings settings;
    StreamSlots streams;
};

// Reset: every slot is closed and the pool destroyed, with every sample
// handle freed ...
void shutdownVoiceLayer(Instance& in);
// ... and, once the instance is zeroed, the defaults come back.
void initVoiceLayer(Instance& in);

// PARAM 101..121 and 130..133.
void voiceParam(Exec& x, unsigned reg, uint16_t v);
// META 0x80..0x83 and 0x90..0x92 (voices), 0x84..0x87 and 0x8A..0x8F (streams).
void voiceMeta(Exec& x, unsigned type, const uint8_t* payload, unsigned count);
void streamMeta(Exec& x, unsigned type, const uint8_t* payload, unsigned count);

// Note on and off of a port in output mode 1; velocity is the scaled one.
void voiceNoteOn(Instance& in, unsigned port, unsigned channel, unsigned key, int velocity);
void voiceNoteOff(Instance& in, unsigned port, unsigned channel, unsigned key);

// After an advance that counted `units`.
void stepVoiceLayer(Instance& in, uint32_t units);

} // namespace zemplay
