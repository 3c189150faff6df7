// Collects a song's events as one Standard MIDI File track per image track.
#pragma once

#include "host/song_playback.h"
#include "playback/volume_fade.h"
#include "smf/track_writer.h"

#include <vector>

namespace zem2mid {

class MidiFileSink : public host::PlaybackSink {
public:
    explicit MidiFileSink(bool offVelocity) : offVelocity_(offVelocity) {}

    // Writes every track's end; carry: the end keeps the ticks after the last event.
    util::ErrCode finish(bool carryPendingDelta);
    const smf::TrackWriter& track(int t) const { return writers_[static_cast<size_t>(t)]; }

    void begin(int trackCount, int timebase) override;
    void tickPassed() override;
    util::ErrCode channelMessage(int port, int track, const host::ChannelMessage& message,
                                 const host::FadeState& fade) override;
    util::ErrCode exclusive(int port, int track, const uint8_t* bytes, uint32_t count) override;
    util::ErrCode text(int track, const uint8_t* bytes, uint32_t count) override;
    util::ErrCode tempo(uint32_t period) override;
    util::ErrCode meta(int track, int type, const uint8_t* payload, uint32_t count) override;

private:
    smf::TrackWriter* writer(int track);
    void writeStartTempo();

    bool offVelocity_;
    uint32_t timebase_ = 0;
    // The song's start tempo, until its first tick or a tempo of its own.
    bool startTempoPending_ = false;
    std::vector<smf::TrackWriter> writers_;
    // Each track file remembers its own last volumes.
    std::vector<playback::VolumeFade> volumes_;
};

} // namespace zem2mid
