// The voice layer: a pool of voices playing host-loaded samples, addressed
// through 128 banks of 128 instruments.  The engine keeps the musical state
// (which sample, which voice, level, pan, pitch, envelopes) and tells the
// host through the voice callbacks of its options what to load, start, stop
// and adjust.
//
// Units: volume 0..0x4000 (0x4000 = full), pan -0x4000 (left)..0x4000
// (right), pitch 256 per semitone (-0x8000..0x7FFF), times in units (ms).
// An instrument number is bank << 7 | entry (0..16383).
#pragma once

#include "voice_envelope.h"

#include "zemplay.h"

#include <cstddef>
#include <cstdint>

namespace zemplay {

inline constexpr unsigned kInstruments = 128 * 128;
inline constexpr uint16_t kNoVoice = 0xFFFF;
inline constexpr uint16_t kNoInstrument = 0xFFFF;
inline constexpr uint8_t kNoKey = 0xFF;
inline constexpr int32_t kFullVolume = 0x4000;

// The host side: the options block and its user value.
struct VoiceHost {
    const dp_options* cb;
    void* user;
};

enum EnvelopeKind : unsigned { kEnvVolume, kEnvPitch, kEnvPan, kEnvelopeKinds };

// Instrument flags (PARAM 121).
inline constexpr uint8_t kInstrumentLoop = 1u << 2;
inline constexpr uint8_t kInstrumentEnvelopes = 1u << 3;

struct Instrument {
    uint16_t head, tail; // its voices, most recently started first
    uint16_t sharedWith; // the instrument whose voices it plays, or kNoInstrument
    int32_t volume, pan, pitch;
    uint8_t flags;
    uint8_t envelopesGiven;                                 // bit k: record k was given
    uint8_t envelopes[kEnvelopeKinds][kEnvelopeRecordSize]; // as carried by the meta events
};

// Voice flags.
inline constexpr uint8_t kVoiceSounding = 1u << 0;
inline constexpr uint8_t kVoiceDirect = 1u << 1;
inline constexpr uint8_t kVoiceLoop = 1u << 2;
inline constexpr uint8_t kVoiceEnvelopes = 1u << 3;

struct Voice {
    uintptr_t handle;    // 0 = none
    uint16_t list;       // the instrument whose list holds it, or kNoInstrument when free
    uint16_t instrument; // the instrument it was last started as
    uint16_t prev, next;
    bool bound;                    // started and not yet stopped: it sounds or releases
    uint16_t boundPrev, boundNext; // the list of bound voices
    bool hasRelease;               // its volume envelope has a release part
    uint8_t port, channel, key;    // key kNoKey for a direct start
    uint8_t flags;
    int32_t volume, pan, pitch;             // as computed at start
    int32_t lastVolume, lastPan, lastPitch; // last accepted by the host
    uint32_t elapsed, duration;             // units; duration 0 = none
    EnvelopeState envelopes[kEnvelopeKinds];
};

// Settings that outlive the pool: masters, the next direct start, the load
// parameters.
struct VoiceSettings {
    int32_t masterVolume, masterPan, masterPitch;
    int32_t nextVolume, nextPan, nextPitch;
    uint32_t loadParam1, loadParam2;
};
void initVoiceSettings(VoiceSettings& s);

struct VoicePool {
    uint32_t voiceCount;
    uint16_t freeHead;
    uint16_t boundHead; // bound voices, so that steps and note offs skip the idle ones
    Voice* voices;      // voiceCount of them, in the same allocation after the pool
    Instrument instruments[kInstruments];
};

// The channel values a note voice follows, as last sent on its channel.
struct ChannelControls {
    int32_t volume, expression, pan; // controllers 7, 11, 10
    int32_t bend;                    // -8192..8191
    int32_t bendRange;               // semitones
};
using ChannelLookup = ChannelControls (*)(void* context, unsigned port, unsigned channel);

// Allocates a pool of `voices` (1..65535) through the host's allocate
// callback; null when that fails.
VoicePool* createVoicePool(const VoiceHost& host, unsigned voices);
// Stops and frees every voice's sample, then the pool.
void destroyVoicePool(const VoiceHost& host, VoicePool* pool);

// The instrument whose voice list `instrument` plays (itself or the one it shares).
uint16_t voiceListOwner(const VoicePool& pool, uint16_t instrument);

// meta 0x80: a new voice at the end of the instrument's list, loaded by the host.
void loadVoice(const VoiceHost& host, VoicePool& pool, VoiceSettings& settings, uint16_t instrument, const char* name);
// meta 0x81: count >= 1 duplicates the first voice's sample, count <= -1
// gives back voices from the end of the list.
void changeVoiceCount(const VoiceHost& host, VoicePool& pool, uint16_t instrument, int count);
// PARAM 118..120: `reg` 118, 119 or 120, `value` its word.
void copyInstrument(const VoiceHost& host, VoicePool& pool, uint16_t source, unsigned reg, uint16_t value);

struct VoiceStart {
    uint16_t instrument;
    unsigned velocity;          // 0..127 (more is taken as 127)
    bool direct;                // PARAM 103/104, meta 0x82
    bool loop;                  // direct start asked for a loop
    uint32_t duration;          // units, 0 = none
    uint8_t port, channel, key; // key kNoKey for a direct start
};
void startVoice(const VoiceHost& host, VoicePool& pool, VoiceSettings& settings, const VoiceStart& start,
                ChannelLookup lookup, void* context);

// Note off: releases the sounding voices bound to the key.
void releaseKeyVoices(const VoiceHost& host, VoicePool& pool, unsigned port, unsigned channel, unsigned key);
// PARAM 105, meta 0x83 without a time: the instrument's most recent voice stops
// (or releases, when its volume envelope has a release part).
void stopRecentVoice(const VoiceHost& host, VoicePool& pool, uint16_t instrument);
// meta 0x83 with a time: its volume falls to silence over `units`.
void fadeRecentVoice(const VoiceHost& host, VoicePool& pool, uint16_t instrument, uint32_t units);

// After an advance of `units`: durations, envelopes and the values sent.
void stepVoices(const VoiceHost& host, VoicePool& pool, uint32_t units, ChannelLookup lookup, void* context);

// The values a voice sends now (exposed for tests).
struct VoiceValues {
    int32_t volume, pitch, pan;
};
VoiceValues voiceValues(const Voice& v, ChannelLookup lookup, void* context);

inline Instrument& instrumentAt(VoicePool& pool, uint16_t instrument)
{
    return pool.instruments[instrument % kInstruments];
}
// meta 0x90..0x92: `bytes` holds at least kEnvelopeRecordSize bytes.
void setEnvelopeRecord(VoicePool& pool, uint16_t instrument, EnvelopeKind kind, const uint8_t* bytes);

} // namespace zemplay
