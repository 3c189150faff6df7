// Plays an image through the engine in simulated time, one millisecond per
// step, and collects what the callbacks deliver as one Standard MIDI File
// track per image track, with the loop count, delay and fade of the settings.
//
// All tracks are rendered in one playback: every track's chunk holds exactly
// what a playback of its own would give, since the loop, delay and fade
// decisions depend only on the whole song, never on the track kept.
#pragma once

#include "export_settings.h"

#include <smf/track_writer.h>
#include <util/uerr.h>
#include <zemplay.h>

#include <cstdint>
#include <vector>

namespace zem2mid {

class ImageExport {
public:
    // Validates the image and creates the instance (16 ports); raises
    // kErrEngineBase + the engine's code when it refuses.
    ImageExport(const uint8_t* image, size_t size, const ExportSettings& settings);
    ~ImageExport();
    ImageExport(const ImageExport&) = delete;
    ImageExport& operator=(const ImageExport&) = delete;

    int trackCount() const;
    // Ticks per quarter note: the timebase (ticks per whole note) / 4.
    uint16_t division() const;
    // Plays the song to its end; raises kErrDeltaTooLong or kErrEngineBase +
    // code on the first failure.  Afterwards track(t) holds chunk t.
    void render();
    const smf::TrackWriter& track(int t) const { return writers_[static_cast<size_t>(t)]; }
    // The image offset of the last engine error, for the messages.
    uint32_t lastErrorOffset() const;

private:
    struct Callbacks;
    void resetPass();
    void raisePendingError() const;
    bool channelPasses(int port, int track) const;

    ExportSettings settings_;
    dp_player* player_ = nullptr;
    std::vector<smf::TrackWriter> writers_;
    smf::FadeState fade_{};
    int32_t delayRemaining_ = 0;
    uint32_t msElapsed_ = 0;
    uint16_t usedChannels_[16] = {};
    uint8_t sysexBuffer_[256] = {};
    util::ErrCode pendingError_ = 0;
};

} // namespace zem2mid
