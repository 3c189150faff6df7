#include "image_export.h"

#include "export_messages.h"

#include <util/memblock.h>

namespace zem2mid {

namespace {

constexpr uint32_t kNormalSpeed = 0x10000;
constexpr unsigned kAllPorts = 0xFFFF;
constexpr unsigned kAllChannels = 0xFFFF;
constexpr int kVolumeController = 7;

} // namespace

// The engine's callbacks: the user value is the ImageExport.
struct ImageExport::Callbacks {
    static ImageExport& self(void* user) { return *static_cast<ImageExport*>(user); }

    // The engine's stack is left as it is: the error is recorded, playback
    // stops with it as result code, and the driver raises it after the step.
    static int error(void* user, uint32_t, int code)
    {
        ImageExport& e = self(user);
        if (e.pendingError_ == 0) e.pendingError_ = kErrEngineBase + static_cast<util::ErrCode>(code);
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
        ++self(user).msElapsed_;
        return 0;
    }
    static int tickPassed(void* user, uint32_t)
    {
        for (smf::TrackWriter& w : self(user).writers_) w.add_ticks(1);
        return 0;
    }
    // Every writer result goes through here: a delta that no longer fits
    // stops playback.
    static int written(ImageExport& e, smf::WriteResult result)
    {
        if (result == smf::WriteResult::Ok) return 0;
        if (e.pendingError_ == 0) e.pendingError_ = kErrDeltaTooLong;
        return 1;
    }
    static smf::TrackWriter* channelTarget(void* user, int port, int track)
    {
        ImageExport& e = self(user);
        return e.channelPasses(port, track) ? &e.writers_[static_cast<size_t>(track)] : nullptr;
    }
    static int noteOff(void* user, int port, int track, int channel, int key, int velocity)
    {
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(self(user), w->note_off(uint8_t(channel), uint8_t(key), uint8_t(velocity))) : 0;
    }
    static int noteOn(void* user, int port, int track, int channel, int key, int velocity)
    {
        ImageExport& e = self(user);
        if (port < 0 || port > 15 || !(e.settings_.deviceMask >> port & 1)) return 0;
        // Channels of every track count for the fade's volume re-sends.
        e.usedChannels_[port] = static_cast<uint16_t>(e.usedChannels_[port] | 1u << (channel & 15));
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(e, w->note_on(uint8_t(channel), uint8_t(key), uint8_t(velocity))) : 0;
    }
    static int keyPressure(void* user, int port, int track, int channel, int key, int value)
    {
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(self(user), w->key_pressure(uint8_t(channel), uint8_t(key), uint8_t(value))) : 0;
    }
    static int controlChange(void* user, int port, int track, int channel, int controller, int value)
    {
        ImageExport& e = self(user);
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(e, w->control_change(uint8_t(port), uint8_t(channel), uint8_t(controller),
                                                uint8_t(value), e.fade_))
                 : 0;
    }
    static int programChange(void* user, int port, int track, int channel, int program)
    {
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(self(user), w->program_change(uint8_t(channel), uint8_t(program))) : 0;
    }
    static int channelPressure(void* user, int port, int track, int channel, int value)
    {
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(self(user), w->channel_pressure(uint8_t(channel), uint8_t(value))) : 0;
    }
    static int pitchBend(void* user, int port, int track, int channel, int value)
    {
        smf::TrackWriter* w = channelTarget(user, port, track);
        return w ? written(self(user), w->pitch_bend(uint8_t(channel), value)) : 0;
    }
    static uint8_t* exclusiveBuffer(void* user, int port, int track, int count)
    {
        ImageExport& e = self(user);
        return e.channelPasses(port, track) && count >= 0 && count < 256 ? e.sysexBuffer_ : nullptr;
    }
    static int exclusiveSend(void* user, int port, int track, int count)
    {
        ImageExport& e = self(user);
        smf::TrackWriter* w = channelTarget(user, port, track);
        if (!w || count < 0 || count >= 256) return 0;
        return written(e, w->sysex(e.sysexBuffer_, static_cast<uint32_t>(count)));
    }
    static smf::TrackWriter* metaTarget(void* user, int track)
    {
        ImageExport& e = self(user);
        return track >= 0 && static_cast<size_t>(track) < e.writers_.size() ? &e.writers_[size_t(track)] : nullptr;
    }
    static int text(void* user, int track, const char* bytes, int count)
    {
        smf::TrackWriter* w = metaTarget(user, track);
        return w && count >= 0
                   ? written(self(user), w->text(reinterpret_cast<const uint8_t*>(bytes), uint32_t(count)))
                   : 0;
    }
    static int tempoChanged(void* user, int, uint32_t period)
    {
        ImageExport& e = self(user);
        return written(e, e.writers_.front().tempo(period, static_cast<uint32_t>(e.player_->timebase(e.player_))));
    }
    static int metaEvent(void* user, int track, int type, const uint8_t* payload, int count)
    {
        smf::TrackWriter* w = metaTarget(user, track);
        return w && count >= 0 ? written(self(user), w->meta(uint8_t(type), payload, uint32_t(count))) : 0;
    }
    static int endlessLoopPass(void* user, int, uint32_t)
    {
        return self(user).settings_.ignoreEndlessLoops ? 1 : 0;
    }
};

ImageExport::ImageExport(const uint8_t* image, size_t size, const ExportSettings& settings) : settings_(settings)
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
    int error = 0;
    player_ = dp_const(DP_MAX_PORTS, image, size, &options, sizeof options, this, &error);
    if (!player_) util::uerr_raise(kErrEngineBase + static_cast<util::ErrCode>(error));
    writers_.assign(static_cast<size_t>(trackCount()), smf::TrackWriter(settings_.offVelocity));
}

ImageExport::~ImageExport()
{
    if (player_) player_->close(player_);
}

int ImageExport::trackCount() const { return player_->track_count(player_); }

uint16_t ImageExport::division() const { return static_cast<uint16_t>(player_->timebase(player_) / 4); }

uint32_t ImageExport::lastErrorOffset() const { return player_->last_error_offset(player_); }

bool ImageExport::channelPasses(int port, int track) const
{
    return port >= 0 && port < 16 && (settings_.deviceMask >> port & 1) && track >= 0 &&
           static_cast<size_t>(track) < writers_.size();
}

void ImageExport::raisePendingError() const
{
    if (pendingError_ != 0) util::uerr_raise(pendingError_);
}

void ImageExport::resetPass()
{
    fade_ = smf::FadeState{settings_.fadeMs, settings_.fadeMs, false};
    delayRemaining_ = settings_.delayMs;
    msElapsed_ = 0;
    for (uint16_t& mask : usedChannels_) mask = 0;
    for (smf::TrackWriter& w : writers_) w.begin_track();
    pendingError_ = 0;
    player_->reset(player_);
}

void ImageExport::render()
{
    resetPass();
    bool done = false;
    while (!done) {
        if (player_->finished(player_) || fade_.fade_remaining == 0) break;
        if (player_->min_loop_count(player_) >= settings_.loopCount) {
            if (delayRemaining_ != 0) {
                --delayRemaining_;
            } else if (fade_.fade_remaining > msElapsed_) {
                fade_.fade_remaining -= msElapsed_;
                fade_.fading = true;
                for (unsigned port = 0; port < 16; ++port) {
                    if (usedChannels_[port] != 0)
                        player_->resend_controller(player_, 0, 1u << port, usedChannels_[port], kVolumeController);
                }
                fade_.fading = false;
            } else {
                fade_.fade_remaining = 0;
                player_->release_notes(player_, settings_.deviceMask, kAllChannels);
                done = true;
            }
            raisePendingError();
        }
        msElapsed_ = 0;
        player_->advance_units(player_, 1, kNormalSpeed);
        raisePendingError();
    }
    player_->release_notes(player_, kAllPorts, kAllChannels);
    raisePendingError();
    for (smf::TrackWriter& w : writers_) {
        if (w.end_of_track(settings_.ignoreEndlessLoops) != smf::WriteResult::Ok) util::uerr_raise(kErrDeltaTooLong);
    }
}

} // namespace zem2mid
