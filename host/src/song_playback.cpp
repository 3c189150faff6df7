#include "host/song_playback.h"

#include "util/memblock.h"

namespace playback {

// The engine's callbacks; the user value is the SongPlayback.
struct SongPlayback::Callbacks {
    static SongPlayback& self(void* user) { return *static_cast<SongPlayback*>(user); }

    // The engine's stack is left as it is: the error is recorded, playback
    // stops with it as result code, and play() raises it after the step.
    static int error(void* user, uint32_t, int code)
    {
        self(user).record(kErrEngineBase + static_cast<util::ErrCode>(code));
        return code;
    }
    static void* allocate(void*, size_t bytes)
    {
        try {
            return util::mb_alloc_zero(bytes);
        } catch (const util::UerrRaised&) {
            return nullptr;
        }
    }
    static void release(void*, void* block) { util::mb_free(block); }
    static int unitPassed(void* user, uint32_t)
    {
        SongPlayback& p = self(user);
        ++p.msElapsed_;
        p.sink_.unitPassed();
        return 0;
    }
    static int tickPassed(void* user, uint32_t)
    {
        self(user).sink_.tickPassed();
        return 0;
    }
    static int channel(void* user, int port, int track, ChannelKind kind, int channel, int data1, int data2)
    {
        SongPlayback& p = self(user);
        if (!p.passes(port)) return 0;
        const ChannelMessage message{kind, uint8_t(channel), uint8_t(data1), uint8_t(data2)};
        return p.record(p.sink_.channelMessage(port, track, message, p.fade_));
    }
    static int noteOff(void* user, int port, int track, int channel, int key, int velocity)
    {
        return Callbacks::channel(user, port, track, ChannelKind::NoteOff, channel, key, velocity);
    }
    static int noteOn(void* user, int port, int track, int channel, int key, int velocity)
    {
        SongPlayback& p = self(user);
        // Channels of every track count for the fade's volume re-sends.
        if (p.passes(port)) p.usedChannels_[port] = static_cast<uint16_t>(p.usedChannels_[port] | 1u << (channel & 15));
        return Callbacks::channel(user, port, track, ChannelKind::NoteOn, channel, key, velocity);
    }
    static int keyPressure(void* user, int port, int track, int channel, int key, int value)
    {
        return Callbacks::channel(user, port, track, ChannelKind::KeyPressure, channel, key, value);
    }
    static int controlChange(void* user, int port, int track, int channel, int controller, int value)
    {
        return Callbacks::channel(user, port, track, ChannelKind::Controller, channel, controller, value);
    }
    static int programChange(void* user, int port, int track, int channel, int program)
    {
        return Callbacks::channel(user, port, track, ChannelKind::Program, channel, program, 0);
    }
    static int channelPressure(void* user, int port, int track, int channel, int value)
    {
        return Callbacks::channel(user, port, track, ChannelKind::ChannelPressure, channel, value, 0);
    }
    static int pitchBend(void* user, int port, int track, int channel, int value)
    {
        const int biased = value + 8192;
        return Callbacks::channel(user, port, track, ChannelKind::PitchBend, channel, biased & 0x7F,
                                  biased >> 7 & 0x7F);
    }
    static uint8_t* exclusiveBuffer(void* user, int port, int, int count)
    {
        SongPlayback& p = self(user);
        return p.passes(port) && count >= 0 && count < 256 ? p.exclusiveBuffer_ : nullptr;
    }
    static int exclusiveSend(void* user, int port, int track, int count)
    {
        SongPlayback& p = self(user);
        if (!p.passes(port) || count < 0 || count >= 256) return 0;
        return p.record(p.sink_.exclusive(port, track, p.exclusiveBuffer_, static_cast<uint32_t>(count)));
    }
    static int text(void* user, int track, const char* bytes, int count)
    {
        SongPlayback& p = self(user);
        return count >= 0 ? p.record(p.sink_.text(track, reinterpret_cast<const uint8_t*>(bytes), uint32_t(count))) : 0;
    }
    static int tempoChanged(void* user, int, uint32_t period)
    {
        return self(user).record(self(user).sink_.tempo(period));
    }
    static int metaEvent(void* user, int track, int type, const uint8_t* payload, int count)
    {
        SongPlayback& p = self(user);
        return count >= 0 ? p.record(p.sink_.meta(track, type, payload, uint32_t(count))) : 0;
    }
    static int endlessLoopPass(void* user, int, uint32_t) { return self(user).settings_.ignoreEndlessLoops ? 1 : 0; }
};

// Forwards one engine callback to the same method of the sound sink.
template <typename Result, typename... Args, Result (SoundSink::*Method)(Args...)>
struct SongPlayback::ToSound<Method> {
    static Result call(void* user, Args... args) { return (self(user).sink_.sound()->*Method)(args...); }
    static SongPlayback& self(void* user) { return *static_cast<SongPlayback*>(user); }
};

void SongPlayback::connectSound(dp_options& o)
{
    o.load_sample = &ToSound<&SoundSink::loadSample>::call;
    o.free_sample = &ToSound<&SoundSink::freeSample>::call;
    o.start_voice = &ToSound<&SoundSink::startVoice>::call;
    o.stop_voice = &ToSound<&SoundSink::stopVoice>::call;
    o.voice_volume = &ToSound<&SoundSink::voiceVolume>::call;
    o.voice_pan = &ToSound<&SoundSink::voicePan>::call;
    o.voice_pitch = &ToSound<&SoundSink::voicePitch>::call;
    o.duplicate_sample = &ToSound<&SoundSink::duplicateSample>::call;
    o.voice_start_position = &ToSound<&SoundSink::voiceStartPosition>::call;
    o.voice_playing = &ToSound<&SoundSink::voicePlaying>::call;
    o.stream_open = &ToSound<&SoundSink::streamOpen>::call;
    o.stream_close = &ToSound<&SoundSink::streamClose>::call;
    o.stream_play = &ToSound<&SoundSink::streamPlay>::call;
    o.stream_stop = &ToSound<&SoundSink::streamStop>::call;
    o.stream_volume = &ToSound<&SoundSink::streamVolume>::call;
    o.stream_pan = &ToSound<&SoundSink::streamPan>::call;
    o.stream_pitch = &ToSound<&SoundSink::streamPitch>::call;
    o.stream_sync = &ToSound<&SoundSink::streamSync>::call;
    o.stream_position = &ToSound<&SoundSink::streamPosition>::call;
    o.stream_position_seconds = &ToSound<&SoundSink::streamPositionSeconds>::call;
    o.stream_loop_end = &ToSound<&SoundSink::streamLoopEnd>::call;
    o.stream_loop_end_seconds = &ToSound<&SoundSink::streamLoopEndSeconds>::call;
    o.stream_loop = &ToSound<&SoundSink::streamLoop>::call;
    o.stream_loop_seconds = &ToSound<&SoundSink::streamLoopSeconds>::call;
}

SongPlayback::SongPlayback(const uint8_t* image, size_t size, const PlaybackSettings& settings, PlaybackSink& sink)
    : settings_(settings), sink_(sink)
{
    dp_options options{};
    options.error = Callbacks::error;
    options.allocate = Callbacks::allocate;
    options.free = Callbacks::release;
    options.unit_passed = Callbacks::unitPassed;
    options.tick_passed = Callbacks::tickPassed;
    options.note_off = Callbacks::noteOff;
    options.note_on = Callbacks::noteOn;
    options.key_pressure = Callbacks::keyPressure;
    options.control_change = Callbacks::controlChange;
    options.program_change = Callbacks::programChange;
    options.channel_pressure = Callbacks::channelPressure;
    options.pitch_bend = Callbacks::pitchBend;
    options.exclusive_buffer = Callbacks::exclusiveBuffer;
    options.exclusive_send = Callbacks::exclusiveSend;
    options.text = Callbacks::text;
    options.tempo_changed = Callbacks::tempoChanged;
    options.meta_event = Callbacks::metaEvent;
    options.endless_loop_pass = Callbacks::endlessLoopPass;
    if (sink_.sound()) connectSound(options);
    int error = 0;
    player_ = dp_const(DP_MAX_PORTS, image, size, &options, sizeof options, this, &error);
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

} // namespace playback
