// The fade-out as the volume messages hear it: each controller 7 value is
// scaled by the time left of the fade, and while volumes are being re-sent a
// scaled value equal to the last one of its port and channel is dropped.
// The MIDI file exporter and the WAVE renderer share this rule, so a song
// fades alike in both.
#pragma once

#include "host/song_playback.h"

#include <array>
#include <cstdint>
#include <optional>

namespace playback {

// Volume v (0-127) scaled by fadeRemaining / fadeMs, truncated; a fade of
// 0 ms leaves it as it is.
uint32_t fadedVolume(uint32_t v, const host::FadeState& fade);

class VolumeFade {
public:
    VolumeFade() { forget(); }
    // Before a new song or track: no volume has been sent yet.
    void forget();
    // The volume to send for the song's value on port and channel (0-15),
    // or nothing when the fade re-sends the value last sent there.
    std::optional<uint8_t> next(int port, int channel, int value, const host::FadeState& fade);

private:
    static constexpr uint8_t kNone = 255;
    std::array<std::array<uint8_t, 16>, 16> last_{};
};

} // namespace playback
