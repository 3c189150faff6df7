// Oscillator waveforms: the value at a phase (0..65535 for one cycle)
// scaled by a depth.
#pragma once

#include <cstdint>

namespace zemplay {

struct UserWave {
    const int8_t* samples;
    unsigned length; // 0 = empty
};

// held keeps the random waveform's value between phase wraps; wrapped says
// the phase passed the end of a cycle since the last value.
int32_t waveformValue(unsigned waveform, uint32_t phase, int32_t depth, bool wrapped, int32_t& held,
                      const UserWave& user);

} // namespace zemplay
