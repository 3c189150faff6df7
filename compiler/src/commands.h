// The command handlers, one family per file.  Each takes the parser with
// its command character already read (in upper case) and returns the
// length it contributes to a slur measurement (0 for most commands).
#pragma once

#include "compile_context.h"

#include <cstdint>

namespace kvt {

using CommandHandler = int32_t (*)(Parser& p, uint8_t c);

// The command loop: runs commands until the text ends (or, when measuring
// a slur, until the chain ends) and returns the measured sum.
int64_t runCommandLoop(Parser& p);

// Lexical commands.
int32_t cmdSkipSpace(Parser& p, uint8_t c);
int32_t cmdLineFeed(Parser& p, uint8_t c);
int32_t cmdComment(Parser& p, uint8_t c);
int32_t cmdStrayComma(Parser& p, uint8_t c);

// Structure: settings, texts, tempo; track flow: tracks, resume, loops.
int32_t cmdTrackSelect(Parser& p, uint8_t c);
int32_t cmdTimebase(Parser& p, uint8_t c);
int32_t cmdText(Parser& p, uint8_t c);
int32_t cmdSetting(Parser& p, uint8_t c);
int32_t cmdInfo(Parser& p, uint8_t c);
int32_t cmdStop(Parser& p, uint8_t c);
int32_t cmdTempo(Parser& p, uint8_t c);
int32_t cmdResume(Parser& p, uint8_t c);
int32_t cmdLoop(Parser& p, uint8_t c);
int32_t cmdConditionalLine(Parser& p, uint8_t c);
int32_t cmdOptionBits(Parser& p, uint8_t c);
int32_t cmdRawWords(Parser& p, uint8_t c);

// Notes and timing.
int32_t cmdNote(Parser& p, uint8_t c);
int32_t cmdRest(Parser& p, uint8_t c);
int32_t cmdDefaultLength(Parser& p, uint8_t c);
int32_t cmdOctave(Parser& p, uint8_t c);
int32_t cmdKeySignature(Parser& p, uint8_t c);
int32_t cmdVelocity(Parser& p, uint8_t c);
int32_t cmdVelocityStep(Parser& p, uint8_t c);
int32_t cmdGate(Parser& p, uint8_t c);
int32_t cmdChord(Parser& p, uint8_t c);
int32_t cmdPortamento(Parser& p, uint8_t c);

// Controllers and events.
int32_t cmdChannelPort(Parser& p, uint8_t c);
int32_t cmdProgram(Parser& p, uint8_t c);
int32_t cmdBankSelect(Parser& p, uint8_t c);
int32_t cmdParameterNumber(Parser& p, uint8_t c);
int32_t cmdController(Parser& p, uint8_t c);
int32_t cmdPitchBend(Parser& p, uint8_t c);
int32_t cmdPressure(Parser& p, uint8_t c);

// Modulators, macros and system-exclusive messages.
int32_t cmdModSwitch(Parser& p, uint8_t c);
int32_t cmdModSet(Parser& p, uint8_t c);
int32_t cmdMacro(Parser& p, uint8_t c);

} // namespace kvt
