// Small helpers every engine file uses: results, errors, ranges.
#pragma once

#include "state.h"

#include <algorithm>
#include <cstdint>

namespace zemplay {

template <typename T> constexpr T clampTo(T v, T lo, T hi) { return std::min(std::max(v, lo), hi); }
constexpr int32_t clampI64(int64_t v, int64_t lo, int64_t hi)
{
    return static_cast<int32_t>(std::min(std::max(v, lo), hi));
}
constexpr int32_t clamp16(int64_t v) { return clampI64(v, -32768, 32767); }

// A nonzero callback answer becomes the result code, which stops playback.
inline void noteStatus(Instance& in, int status)
{
    if (status != 0 && in.result == 0) in.result = status;
}
inline bool isHalted(const Instance& in) { return in.result != 0; }

// Reports an error at the command being executed; the host's answer (or the
// code itself without an error callback) becomes the result code.
inline void raiseError(Instance& in, int code)
{
    in.lastErrorOffset = in.cmdOffset;
    int answer = in.cb.error ? in.cb.error(in.user, in.cmdOffset, code) : code;
    if (answer != 0) in.result = answer;
}

inline bool portExists(const Instance& in, unsigned port) { return port < in.portCount; }
inline Channel& channelOf(Instance& in, unsigned port, unsigned channel) { return in.ports[port].channels[channel]; }
inline unsigned trackIndex(const Instance& in, const Track& t) { return static_cast<unsigned>(&t - in.tracks); }

// A wait of `ticks`; outside skip mode it also counts as time passing in
// the track (endless loops need it to repeat).
inline void addWait(const Instance& in, Track& t, uint32_t ticks)
{
    uint64_t w = uint64_t{t.wait} + ticks;
    t.wait = w > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(w);
    if (in.skipAtTickStart == 0) t.timePassed = true;
}

inline bool testBit(const uint64_t (&set)[2], unsigned i) { return (set[i >> 6] >> (i & 63)) & 1u; }
inline void setBit(uint64_t (&set)[2], unsigned i, bool on)
{
    if (on)
        set[i >> 6] |= uint64_t{1} << (i & 63);
    else
        set[i >> 6] &= ~(uint64_t{1} << (i & 63));
}

} // namespace zemplay
