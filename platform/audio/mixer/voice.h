// One secondary buffer as the mixer sees it.
#pragma once

#include "pcm.h"
#include "platform/audio.h"
#include "resampler.h"

#include <cstdint>
#include <memory>

namespace platform::audio {

// The bytes a buffer and its duplicates share.
struct SampleData {
    explicit SampleData(uint32_t size);
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size;
};

// What callers set; guarded by the mixer's mutex.
struct VoiceControl {
    bool playing = false;
    bool looping = false;
    bool lost = false;
    int32_t volume = 0;
    int32_t pan = 0;
    uint32_t frequency = 0;
    uint32_t positionFrames = 0;
    // Bumped whenever a caller moves the cursor or starts the buffer, so the
    // mixer drops what it had computed from the old position.
    uint32_t positionGeneration = 0;
    // Set by the mixer: the voice goes through the resampler (and reads
    // ahead as a resampled voice does).
    bool resampling = false;
};

// What the mixer computes from VoiceControl; touched by the mixing thread
// only, so it is read and written without the mutex.
struct VoiceMix {
    uint32_t positionFrames = 0;
    uint32_t positionGeneration = ~0u;
    uint32_t frequency = 0;
    bool looping = false;
    bool ended = false;
    // Once a voice is resampled it stays so, even back at the device rate,
    // until it is moved or started again: the resampler's output lies
    // between input frames, and going back to them would be a step.
    bool resampling = false;
    bool needsHistory = false; // the resampler restarts from the cursor
    // The gains and the volume and pan they were computed from (volume
    // starts out of range so the first pass computes them).
    Gains gains;
    int32_t volume = kAudioVolumeMax + 1;
    int32_t pan = 0;
};

struct Voice {
    Voice(uint32_t flags, const AudioFormat& format, std::shared_ptr<SampleData> data);

    uint32_t frames() const { return data->size / format.blockBytes(); }

    const uint32_t flags;
    const AudioFormat format;
    const std::shared_ptr<SampleData> data;
    VoiceControl control;
    VoiceMix mix;
    Resampler resampler;
};

} // namespace platform::audio
