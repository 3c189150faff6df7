// Sixteen stream slots: long audio files that the host plays beside the
// music.  The engine keeps each slot's state and fades (volume, pan, pitch,
// play level) and tells the host through the stream callbacks what to open,
// play, stop and adjust.
//
// Units: volume and play level 0..0x4000, pan -0x4000..0x4000, pitch
// -0x8000..0x7FFF, fade times in units (ms).
#pragma once

#include "zemplay.h"

#include <cstdint>

namespace zemplay {

inline constexpr unsigned kStreamSlots = 16;

struct Fader {
    int32_t start, target, current;
    int32_t accepted;           // last value the host accepted
    uint32_t elapsed, duration; // duration 0 = no fade running
};

struct StreamSlot {
    uint32_t openParam1, openParam2;
    bool opened, playing;
    bool stopping; // the play level fades out towards a stop
    Fader volume, pan, pitch, level;
};

struct StreamSlots {
    StreamSlot slots[kStreamSlots];
};

struct StreamHost {
    const dp_options* cb;
    void* user;
};

// Volume and play level full, everything else 0.
void initStreamSlots(StreamSlots& s);

// meta 0x84: an opened slot is closed first.
void openStream(const StreamHost& host, StreamSlot& s, unsigned slot, const char* name);
// meta 0x85 and reset: only an opened slot; a playing one is stopped first.
void closeStream(const StreamHost& host, StreamSlot& s, unsigned slot);
void closeAllStreams(const StreamHost& host, StreamSlots& slots);
// meta 0x86: fade in over `fade` units (0 = full level at once).
void playStream(const StreamHost& host, StreamSlot& s, unsigned slot, uint32_t fade);
// meta 0x87: fade out over `fade` units, then stop (0 = at once).
void stopStream(const StreamHost& host, StreamSlot& s, unsigned slot, uint32_t fade);

enum class StreamFader : uint8_t { Volume, Pan, Pitch };
// meta 0x8A..0x8C: `value` is clamped to the fader's range; a fade of 0 sets it at once.
void setStreamFader(StreamSlot& s, StreamFader which, int32_t value, uint32_t fade);

// After an advance of `units`: every playing slot's faders move and the
// changed values go to the host.
void stepStreams(const StreamHost& host, StreamSlots& slots, uint32_t units);

// The payload of meta 0x8A..0x8C: value (one byte, or two big-endian bytes)
// and an optional fade time (up to four more big-endian bytes).
struct FaderRequest {
    int32_t value;
    uint32_t fade;
};
FaderRequest parseFaderPayload(StreamFader which, const uint8_t* bytes, unsigned count);

// Up to four big-endian bytes as a number (more are ignored).
uint32_t readBigEndian(const uint8_t* bytes, unsigned count);

} // namespace zemplay
