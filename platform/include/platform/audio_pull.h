// Sources that the process's real-time audio output pulls from on its own
// clock, mixed with its buffers: so that everything a program sounds shares
// one device, one clock and one latency.
//
// The sources live in one shared library, so that the stream output library
// (which opens the output) and the program (which owns the synthesizer)
// meet in the same list.
#pragma once

#include <cstddef>
#include <cstdint>

#define ZEM_AUDIO_PULL_API __attribute__((visibility("default")))

namespace platform {

inline constexpr uint32_t kPullRate = 44100;

class AudioPullSource {
public:
    virtual ~AudioPullSource() = default;
    // Renders `frames` stereo frames at kPullRate, interleaved left/right,
    // the first of them at frame `frame` of the output's clock; in the
    // output's thread.
    virtual void pull(int16_t* stereo, size_t frames, uint64_t frame) = 0;
};

// Adds a source; false (and nothing added) while no real-time output is
// open, when the source must sound on its own.  *clock is set to the
// output's clock at the moment the source joins: the frame its first pull
// renders.  The clock counts every frame the outputs mixed since the process
// began, so it never goes back, not even across a reopen.
ZEM_AUDIO_PULL_API bool attachPullSource(AudioPullSource* source, uint64_t* clock);
// Removes a source; returns once no pull of it is running.
ZEM_AUDIO_PULL_API void detachPullSource(AudioPullSource* source);

// For the real-time output: it opened or closed.  A source stays attached
// across a reopen and sounds again on the new output.
ZEM_AUDIO_PULL_API void pullOutputOpened();
ZEM_AUDIO_PULL_API void pullOutputClosed();
// Adds every source's next `frames` frames to mix (samples scaled to
// +-1.0, `channels` per frame).  The sources sound only when the output
// runs at kPullRate.
ZEM_AUDIO_PULL_API void mixPullSources(float* mix, uint32_t frames, uint32_t channels, uint32_t rate);

} // namespace platform
