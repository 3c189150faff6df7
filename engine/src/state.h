// The instance block and every record in it.  All records are plain data:
// the whole block is one zeroed allocation, and reset re-zeroes it.
#pragma once

#include "voice_layer.h"
#include "zemplay.h"

#include <cstddef>
#include <cstdint>

namespace zemplay {

inline constexpr unsigned kChannels = 16;
inline constexpr unsigned kKeys = 128;
inline constexpr unsigned kControllers = 128;
inline constexpr unsigned kModParams = 32;
inline constexpr unsigned kLoopEntries = 16;
inline constexpr unsigned kUserWaveMax = 255;

// Modulator target kinds.
enum class ModKind : uint8_t { Controller, Bend, Velocity, GateRatio, GateOffset, Tempo, ReleaseVelocity };

// Modulator flag bits (MOD_SWITCH).
enum ModFlag : unsigned {
    kModNoteOn = 0,
    kModNoteOff = 1,
    kModAttack = 2,
    kModRelease = 3,
    kModDecay = 4,
    kModOscA = 5,
    kModGlide = 6,
    kModOscB = 7,
    kModNoteOnKey = 8,
    kModNoteOffKey = 9,
    kModAttackCurved = 10,
    kModReleaseCurved = 11,
    kModDecayCurved = 12,
    kModGlideCurved = 13,
    kModGlideCapture = 14,
    kModOscBRestart = 15,
};
inline constexpr uint16_t kModRunningFlags = 0x00FC; // bits 2..7

// Modulator option bits (PARAM 30..39).
enum ModOption : unsigned {
    kOptPhaseNudge = 0,
    kOptEnvPerEval = 1,
    kOptOscAPerEval = 2,
    kOptGlidePerEval = 3,
    kOptOscBPerEval = 4
};

enum class EnvPhase : uint8_t { Idle, Attack, Decay, Sustain, Release, Done };
enum class OscBStage : uint8_t { Stopped, FadeIn, FadeOut };

struct Modulator {
    int16_t param[kModParams];
    uint16_t flags;
    uint8_t options;
    ModKind kind;
    uint8_t port, channel, number; // controller and bend targets
    uint16_t track;                // owner of a per-track target
    uint16_t owner;                // track that last set or switched it
    // Evaluation state.
    EnvPhase envPhase;
    OscBStage oscBStage;
    bool running, glideActive;
    int32_t output; // envelope + oscillator A + oscillator B
    int32_t envValue, envStart;
    uint32_t envElapsed;
    int32_t oscAValue, oscAHeld;
    uint32_t oscAPhase, oscARamp;
    int32_t oscBValue, oscBHeld;
    uint32_t oscBPhase, oscBFade;
    int32_t glideValue, glideStart;
    uint32_t glideElapsed;
    uint32_t countdown, accumulated;
    Modulator* runPrev;
    Modulator* runNext;
    // Note-on and note-off lists of the track that switched bits 0 and 1.
    Modulator* onNext;
    Modulator* onPrev;
    Modulator* offNext;
    Modulator* offPrev;
    uint16_t onTrack, offTrack;
    bool onListed, offListed;
};

enum class SlideTarget : uint8_t { Controller, Bend, KeyPressure, ChanPressure, Glide };

struct Slide {
    uint8_t mode; // 0 done, 1 linear, 2 curve
    SlideTarget target;
    uint8_t port, channel, number;
    bool listed;
    uint16_t track;
    int32_t start, middle, goal, current;
    uint32_t elapsed, duration, countdown;
    Slide* prev;
    Slide* next;
};

struct Note {
    uint8_t velocity; // scaled velocity it sounds with; 0 = silent
    bool listed, timed, expired, holdA, holdB;
    uint8_t port, channel, key;
    uint16_t track;
    uint32_t remaining;
    Note* prev;
    Note* next;
};

struct Channel {
    uint8_t port, channel;
    int32_t ctrlBase[kControllers];
    int32_t ctrlOffset[kControllers];
    uint8_t ctrlLast[kControllers];
    int32_t keypBase[kKeys];
    int32_t keypOffset[kKeys];
    uint8_t keypLast[kKeys];
    int32_t bendBase, bendOffset, bendLast, finePitch;
    int32_t chanpBase, chanpOffset, chanpLast;
    uint8_t program, dataIncrement;
    uint64_t pendingCtrl[2], pendingKeyp[2];
    bool pendingBend, pendingProgram, pendingChanp;
    // The track each held-back value was held for: a flush sends it as that
    // track, as if it had not been held.
    uint16_t heldCtrlTrack[kControllers], heldKeypTrack[kKeys];
    uint16_t heldBendTrack, heldChanpTrack, heldProgramTrack;
    uint8_t bendRange, attackTime, decayTime, releaseTime; // controllers 6 (RPN 0), 73, 75, 72 as last sent
    Slide* ctrlSlide[kControllers];
    Slide* keypSlide[kKeys];
    Slide* bendSlide;
    Slide* chanpSlide;
    Slide* glide; // the glide record in force
    Note notes[kKeys];
    Modulator ctrlMod[kControllers];
    Modulator bendMod;
};

struct Port {
    uint8_t velocityCurve, outputMode;
    bool markBend, markProgram, markChanp, markKeyp;
    uint64_t markCtrl[2];
    Channel channels[kChannels];
};

struct LoopEntry {
    uint32_t counter, start, end;
};

struct SavedState {
    int32_t velocity, velOffset, rvel, rvelOffset;
    int32_t ratioBase, ratioCur, ratioAcc, ofsBase, ofsCur, ofsAcc;
};

struct Track {
    uint32_t pos, end;           // byte offsets into the image
    uint32_t begin, current;     // the first command and the one run last
    uint32_t furthest;           // the end of the furthest command run so far
    uint32_t repeatsWithoutTime; // commands run again since the last wait
    uint32_t wait, credit;
    bool running, stopped, syncWaiting, ended, resumePending, noteActivity, timePassed;
    bool holdA;
    uint32_t noteCount;
    Note* notes; // in the order they started
    Note* lastNote;
    Slide* slides;
    LoopEntry loops[kLoopEntries];
    uint32_t loopDepth, loopPasses;
    uint8_t port, channel;
    int16_t transpose;
    uint32_t lastLength;
    uint8_t lastKeypKey;
    int32_t velocity, velOffset, rvel, rvelOffset;
    int32_t velScale, rvelScale, bendScale;
    int32_t ratioBase, ratioCur, ratioAcc;
    int32_t ofsBase, ofsCur, ofsAcc;
    uint32_t gateDenominator, gateBase;
    uint8_t gateFlags, filter;
    uint8_t sysex[4]; // manufacturer, device, model, command
    uint16_t slideInterval, slideRandom;
    SavedState saved;
    Modulator velMod, rvelMod, ratioMod, ofsMod;
    Modulator* noteOnMods;
    Modulator* noteOffMods;
    int8_t userWave[kUserWaveMax];
    uint8_t userWaveLength;
    uint16_t instrument;
    uint8_t streamSlot, syncValue;
    Slide ctrlSlides[kControllers];
    Slide keypSlides[kKeys];
    Slide bendSlide, chanpSlide, glideSlide;
};

struct TempoSlide {
    uint8_t mode;
    uint32_t start, middle, goal, elapsed, duration, countdown, sinceUpdate;
};

struct BarCounter {
    uint8_t mode, beatsPerBar, beat;
    uint32_t barLength, tickInBar, tickInBeat;
    uint16_t bar, timebase;
    uint32_t savedTick;
    uint16_t savedBar;
    uint8_t savedBeat;
};

struct Instance {
    dp_player ops; // must stay first: the host sees the block as its operation table
    // Identity.
    const uint8_t* image;
    size_t imageSize;
    void* user;
    size_t blockSize;
    unsigned portCount;
    bool busy;
    dp_options cb;
    uint32_t extension[2];
    Port* ports;
    Track* tracks;
    // Global playback state: zeroed by reset from here on.
    uint32_t cmdOffset, lastErrorOffset;
    uint32_t unitCounter, tickCounter, fraction;
    uint32_t tempoBase, tempoPeriod, lastTempo;
    int32_t tempoOffset;
    TempoSlide tempoSlide;
    uint16_t tempoSlideInterval, tempoSlideRandom;
    uint32_t phase, unitsSinceTick;
    uint32_t unitBudget; // repeated commands left in this unit
    uint8_t skip, skipAtTickStart;
    bool started, finished;
    bool tracksChanged; // since the finished flag was last computed
    int result;
    uint32_t minLoopCount;
    unsigned trackCount;
    uint32_t timebaseRegister;
    uint32_t extraTicks;
    uint16_t ctrlFilter[8];
    BarCounter bar;
    Modulator tempoMod;
    Modulator* runningMods;
    VoiceLayer voiceLayer;
    uint8_t message[192]; // exclusive message being built by a macro
};

inline Instance& instanceOf(dp_player* p) { return *reinterpret_cast<Instance*>(p); }

} // namespace zemplay
