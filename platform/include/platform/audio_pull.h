// Sources that the process's real-time audio output pulls from on its own
// clock, mixed with its buffers: so that everything a program sounds shares
// one device, one clock and one latency.
//
// While no output is open (before the first, between a close and a reopen)
// the sources sound through a device of the list's own, which steps aside
// whenever an output opens: a program never holds two devices, and a driver
// that opens only one device at a time serves it.
//
// The list lives in one shared library, so that the stream output library
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
    // the first of them at frame `frame` of the clock; in the audio thread.
    virtual void pull(int16_t* stereo, size_t frames, uint64_t frame) = 0;
};

// Adds a source.  *clock is the clock at that moment: the frame its first
// pull renders.  The clock counts every frame pulled in the process, so it
// never goes back, not even across a reopen.  False (nothing added) when no
// output is open and no device of the list's own can be opened either.
ZEM_AUDIO_PULL_API bool attachPullSource(AudioPullSource* source, uint64_t* clock);
// Removes a source; returns once no pull of it is running.
ZEM_AUDIO_PULL_API void detachPullSource(AudioPullSource* source);

// For the real-time output: before it opens its device, then whether that
// worked; and after it closed it.
ZEM_AUDIO_PULL_API void pullOutputOpening();
ZEM_AUDIO_PULL_API void pullOutputOpened(bool opened);
ZEM_AUDIO_PULL_API void pullOutputClosed();
// Adds every source's next `frames` frames to mix (samples scaled to
// +-1.0, `channels` per frame).  The sources sound only when the output
// runs at kPullRate.
ZEM_AUDIO_PULL_API void mixPullSources(float* mix, uint32_t frames, uint32_t channels, uint32_t rate);

} // namespace platform
