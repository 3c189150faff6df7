// Collects a song's events as one Standard MIDI File track per image track.
#pragma once

#include "playback/song_playback.h"
#include "playback/volume_fade.h"
#include "smf/track_writer.h"

#include <vector>

namespace zem2mid {

class MidiFileSink : public playback::PlaybackSink {
public:
    explicit MidiFileSink(bool offVelocity) : offVelocity_(offVelocity) {}

    // Writes every track's end; carry: the end keeps the ticks after the last event.
    util::ErrCode finish(bool carryPendingDelta);
    const smf::TrackWriter& track(int t) const { return writers_[static_cast<size_t>(t)]; }

    void begin(int trackCount, int timebase) override;
    void tickPassed() override;
    util::ErrCode noteOn(int port, int track, int channel, int key, int velocity) override;
    util::ErrCode noteOff(int port, int track, int channel, int key, int velocity) override;
    util::ErrCode keyPressure(int port, int track, int channel, int key, int value) override;
    util::ErrCode controlChange(int port, int track, int channel, int controller, int value,
                                const playback::FadeState& fade) override;
    util::ErrCode programChange(int port, int track, int channel, int program) override;
    util::ErrCode channelPressure(int port, int track, int channel, int value) override;
    util::ErrCode pitchBend(int port, int track, int channel, int value) override;
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
