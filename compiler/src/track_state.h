// The parser state of one pass over the text for one track number.
#pragma once

#include "lexer.h"

#include <bitset>
#include <cstdint>

namespace kvt {

using TrackSet = std::bitset<256>;

enum class PassMode : uint8_t {
    Scan,        // find which tracks hold content; writes nothing
    Emit,        // write the words of one track
    SlurMeasure, // sum the lengths of a slur chain ahead; writes nothing
};

inline constexpr int32_t kBendUnknown = -0x8000;
inline constexpr unsigned kMaxLoopDepth = 16;
inline constexpr int kNoKeyPressureKey = 255;

// Option bits (option b is bit b - 1).
inline constexpr uint16_t kOptNoWait = 1u << 0;
inline constexpr uint16_t kOptOctaveReversed = 1u << 1;
inline constexpr uint16_t kOptRegisteredParameters = 1u << 2;
inline constexpr uint16_t kOptWideBend = 1u << 3;
inline constexpr uint16_t kOptOctaveUp = 1u << 4;
inline constexpr uint16_t kOptProgramFromZero = 1u << 5;
inline constexpr uint16_t kOptReleaseVelocity = 1u << 6;

// Chord mode bits.
inline constexpr uint8_t kChordVelocityCurve = 0x01;
inline constexpr uint8_t kChordTimingPoints = 0x02;
inline constexpr uint8_t kChordVelocityThreePoint = 0x04;
inline constexpr uint8_t kChordTimingThreePoint = 0x08;
inline constexpr uint8_t kChordSpreadIsSpan = 0x10;

struct TrackState {
    Cursor cur;
    PassMode mode;
    uint8_t trackNumber;
    // The tracks the text at the cursor applies to ("#").
    TrackSet selected;
    bool active; // selected[trackNumber]

    int32_t timebase;
    int32_t defaultLength;
    int32_t octave;
    int32_t lastLength;
    int lastKeyPressureKey;
    bool slur;
    int slurBase;
    int32_t bend; // kBendUnknown when the engine's glide offset is unknown
    int8_t keySignature[7];
    uint16_t options;
    uint16_t conditionMask;
    int32_t bendRange;
    int16_t tuning[12];
    uint8_t chordMode;
    int16_t chordVelocity[3];
    uint16_t chordTiming[3];
    float chordSpread;
    uint8_t loopDepth;
    uint8_t loopCounts[kMaxLoopDepth];
    uint8_t channel;
    uint8_t port;
    uint8_t lastController;
    int lastModTarget;
    uint8_t lastModParameter;

    // Per-track settings change only where the text applies to the track
    // being compiled; the scan pass changes none of them, because none
    // of them decides presence or raises an error there.
    bool applies() const { return active && mode != PassMode::Scan; }
    bool emitting() const { return active && mode == PassMode::Emit; }
    bool measuring() const { return active && mode == PassMode::SlurMeasure; }
    bool hasOption(uint16_t bit) const { return (options & bit) != 0; }
};

void resetTrackState(TrackState& st, const uint8_t* text, uint32_t length, PassMode mode, uint8_t trackNumber,
                     uint16_t conditionMask);

} // namespace kvt
