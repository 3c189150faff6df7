// How long a render may be: a short score can play for days, and its WAVE
// file would fill the disk before failing.  A song is measured first and a
// render that is too long is refused before anything is written.
#pragma once

#include <cstdint>
#include <string>

namespace zem2wav {

// Four hours of audio, unless -T names another number of minutes.
inline constexpr uint32_t kDefaultRenderLimitMinutes = 240;

// Why a song of songMs (cut: still playing then) is not rendered into a
// WAVE file whose tail adds at most tailMs; empty when it may be.
std::string renderRefusal(uint64_t songMs, bool cut, uint32_t limitMinutes, uint32_t tailMs);

// "H:MM:SS".
std::string clockText(uint64_t ms);

} // namespace zem2wav
