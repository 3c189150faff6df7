#include "host/song_playback.h"

namespace host {

int SongPlayback::error(uint32_t, int code)
{
    record(kErrEngineBase + static_cast<util::ErrCode>(code));
    return code;
}

int SongPlayback::unitPassed(uint32_t)
{
    ++msElapsed_;
    sink_.unitPassed();
    return 0;
}

int SongPlayback::tickPassed(uint32_t)
{
    sink_.tickPassed();
    return 0;
}

int SongPlayback::deliver(int port, int track, ChannelKind kind, int channel, int data1, int data2)
{
    if (!passes(port)) return 0;
    const ChannelMessage message{kind, uint8_t(channel), uint8_t(data1), uint8_t(data2)};
    return record(sink_.channelMessage(port, track, message, fade_));
}

int SongPlayback::noteOn(int port, int track, int channel, int key, int velocity)
{
    // Channels of every track count for the fade's volume re-sends.
    if (passes(port)) usedChannels_[port] = static_cast<uint16_t>(usedChannels_[port] | 1u << (channel & 15));
    return deliver(port, track, ChannelKind::NoteOn, channel, key, velocity);
}

int SongPlayback::pitchBend(int port, int track, int channel, int value)
{
    const int biased = value + 8192;
    return deliver(port, track, ChannelKind::PitchBend, channel, biased & 0x7F, biased >> 7 & 0x7F);
}

uint8_t* SongPlayback::exclusiveBuffer(int port, int, int count)
{
    return passes(port) && count >= 0 && count < 256 ? exclusiveBuffer_ : nullptr;
}

int SongPlayback::exclusiveSend(int port, int track, int count)
{
    if (!passes(port) || count < 0 || count >= 256) return 0;
    return record(sink_.exclusive(port, track, exclusiveBuffer_, static_cast<uint32_t>(count)));
}

int SongPlayback::text(int track, const char* bytes, int count)
{
    return count >= 0 ? record(sink_.text(track, reinterpret_cast<const uint8_t*>(bytes), uint32_t(count))) : 0;
}

int SongPlayback::meta(int track, int type, const uint8_t* payload, int count)
{
    return count >= 0 ? record(sink_.meta(track, type, payload, uint32_t(count))) : 0;
}

SongPlayback::SongPlayback(const uint8_t* image, size_t size, const PlaybackSettings& settings, PlaybackSink& sink)
    : settings_(settings), sink_(sink), sinks_{this, sink.sound()}
{
    int error = 0;
    player_ = createEngine(DP_MAX_PORTS, image, size, sinks_, &error);
    if (!player_) util::uerr_raise(kErrEngineBase + static_cast<util::ErrCode>(error));
}

SongPlayback::~SongPlayback()
{
    if (player_) player_->close(player_);
}

int SongPlayback::trackCount() const { return player_->track_count(player_); }

int SongPlayback::timebase() const { return player_->timebase(player_); }

uint32_t SongPlayback::lastErrorOffset() const { return player_->last_error_offset(player_); }

int SongPlayback::record(util::ErrCode code)
{
    if (code == 0) return 0;
    if (pendingError_ == 0) pendingError_ = code;
    return 1;
}

void SongPlayback::raisePendingError() const
{
    if (pendingError_ != 0) util::uerr_raise(pendingError_);
}

void SongPlayback::play()
{
    fade_ = FadeState{settings_.fadeMs, settings_.fadeMs, false};
    int32_t delayRemaining = settings_.delayMs;
    msElapsed_ = 0;
    for (uint16_t& mask : usedChannels_) mask = 0;
    pendingError_ = 0;
    player_->reset(player_);
    sink_.begin(trackCount(), timebase());

    bool done = false;
    // One step is a millisecond of song time, or a slice of a skipped passage.
    for (uint64_t steps = 0; !done; ++steps) {
        if (player_->finished(player_) || fade_.fadeRemaining == 0) break;
        if (steps >= settings_.songTimeLimitMs) {
            player_->release_notes(player_, DP_ALL_PORTS, DP_ALL_CHANNELS);
            raisePendingError();
            util::uerr_raise(kErrSongTooLong);
        }
        if (player_->min_loop_count(player_) >= settings_.loopCount) {
            if (delayRemaining != 0) {
                --delayRemaining;
            } else if (fade_.fadeRemaining > msElapsed_) {
                // Each millisecond of the fade re-sends the volumes of the
                // channels in use, scaled down by the sink.
                fade_.fadeRemaining -= msElapsed_;
                fade_.fading = true;
                for (unsigned port = 0; port < 16; ++port) {
                    if (usedChannels_[port] != 0)
                        player_->resend_controller(player_, 0, 1u << port, usedChannels_[port], kVolumeController);
                }
                fade_.fading = false;
            } else {
                fade_.fadeRemaining = 0;
                player_->release_notes(player_, settings_.deviceMask, DP_ALL_CHANNELS);
                done = true;
            }
            raisePendingError();
        }
        msElapsed_ = 0;
        player_->advance_units(player_, 1, DP_NORMAL_SPEED);
        raisePendingError();
    }
    player_->release_notes(player_, DP_ALL_PORTS, DP_ALL_CHANNELS);
    raisePendingError();
}

} // namespace host
