// The codes and texts the MIDI file exporter and the WAVE renderer share:
// their switch and file checks, and the engine's errors as they word them.
#pragma once

#include "playback/song_playback.h"
#include "util/uerr.h"

#include <cstdint>
#include <string>

namespace playback {

inline constexpr util::ErrCode kErrIllegalOption = 0x40000;
inline constexpr util::ErrCode kErrConProof = 0x40001;

// The code an engine result or error code arrives as.
constexpr util::ErrCode engineError(unsigned engineCode) { return kErrEngineBase + engineCode; }
// A code the engine sends for what is not implemented; it names no file.
inline constexpr util::ErrCode kErrEngineDummy = engineError(DP_DUMMY_FUNCTION);

// The per-file text of a shared code, with "%08x" filled by the image offset
// of the last engine error; empty when the code is not one of them.
std::string exportErrorText(util::ErrCode code, uint32_t errorOffset);

} // namespace playback
