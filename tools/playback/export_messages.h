// The codes and texts the MIDI file exporter and the WAVE renderer share:
// their switch and file checks, and the engine's errors as they word them.
#pragma once

#include "host/song_playback.h"
#include "util/uerr.h"

#include <cstdint>
#include <string>

namespace playback {

inline constexpr util::ErrCode kErrIllegalOption = 0x40000;
inline constexpr util::ErrCode kErrConProof = 0x40001;

// The code an engine result or error code arrives as.
constexpr util::ErrCode engineError(unsigned engineCode) { return host::kErrEngineBase + engineCode; }
// Whether the message of a code is captioned with the file concerned: the
// engine's code for what it does not implement is about the engine.
constexpr bool namesFile(util::ErrCode code) { return code != engineError(DP_DUMMY_FUNCTION); }

// The per-file text of a shared code, with "%08x" filled by the image offset
// of the last engine error; empty when the code is not one of them.
std::string exportErrorText(util::ErrCode code, uint32_t errorOffset);

} // namespace playback
