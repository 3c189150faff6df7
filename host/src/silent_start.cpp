#include "host/silent_start.h"

#include <type_traits>

namespace zemfe {

namespace {

constexpr int kBankSelect = 0;
constexpr int kBankSelectLow = 32;

} // namespace

// One forwarding entry per callback type: Muted entries answer with a
// default (0, null, nothing) while the instance catches up.
template <class R, class... A> struct SilentSlot<R (*)(void*, A...)> {
    using Fn = R (*)(void*, A...);
    template <Fn dp_options::*Member, bool Muted> static R call(void* user, A... args)
    {
        auto* self = static_cast<SilentStart*>(user);
        if (Muted && self->muted_) return R();
        return (self->host_.*Member)(self->hostUser_, args...);
    }
};

namespace {

template <auto Member, bool Muted> void route(dp_options& out, const dp_options& host)
{
    using Fn = std::remove_cvref_t<decltype(host.*Member)>;
    if (host.*Member) out.*Member = &SilentSlot<Fn>::template call<Member, Muted>;
}

constexpr bool kHeld = true;
constexpr bool kPassed = false;

} // namespace

SilentStart::SilentStart(const dp_options& host, void* hostUser) : host_(host), hostUser_(hostUser)
{
    dp_options& o = options_;
    // Memory, errors and loop decisions behave as they would from the start;
    // tempo, ticks and meta events set the displays to where the song is.
    route<&dp_options::error, kPassed>(o, host);
    route<&dp_options::allocate, kPassed>(o, host);
    route<&dp_options::free, kPassed>(o, host);
    route<&dp_options::tick_passed, kPassed>(o, host);
    route<&dp_options::tempo_changed, kPassed>(o, host);
    route<&dp_options::meta_event, kPassed>(o, host);
    route<&dp_options::endless_loop_pass, kPassed>(o, host);
    // The elapsed time goes on from where the old instance was.
    route<&dp_options::unit_passed, kHeld>(o, host);
    route<&dp_options::key_pressure, kHeld>(o, host);
    route<&dp_options::channel_pressure, kHeld>(o, host);
    route<&dp_options::exclusive_buffer, kHeld>(o, host);
    route<&dp_options::exclusive_send, kHeld>(o, host);
    route<&dp_options::text, kHeld>(o, host);
    // Samples are loaded as at the start, since later notes use them; what
    // would sound is held back.
    route<&dp_options::load_sample, kPassed>(o, host);
    route<&dp_options::free_sample, kPassed>(o, host);
    route<&dp_options::duplicate_sample, kPassed>(o, host);
    route<&dp_options::start_voice, kHeld>(o, host);
    route<&dp_options::stop_voice, kHeld>(o, host);
    route<&dp_options::voice_volume, kHeld>(o, host);
    route<&dp_options::voice_pan, kHeld>(o, host);
    route<&dp_options::voice_pitch, kHeld>(o, host);
    route<&dp_options::voice_start_position, kHeld>(o, host);
    route<&dp_options::voice_playing, kHeld>(o, host);
    route<&dp_options::stream_open, kHeld>(o, host);
    route<&dp_options::stream_close, kHeld>(o, host);
    route<&dp_options::stream_play, kHeld>(o, host);
    route<&dp_options::stream_stop, kHeld>(o, host);
    route<&dp_options::stream_volume, kHeld>(o, host);
    route<&dp_options::stream_pan, kHeld>(o, host);
    route<&dp_options::stream_pitch, kHeld>(o, host);
    // A held stream never has to be waited for.
    route<&dp_options::stream_sync, kHeld>(o, host);
    route<&dp_options::stream_position, kHeld>(o, host);
    route<&dp_options::stream_position_seconds, kHeld>(o, host);
    route<&dp_options::stream_loop_end, kHeld>(o, host);
    route<&dp_options::stream_loop_end_seconds, kHeld>(o, host);
    route<&dp_options::stream_loop, kHeld>(o, host);
    route<&dp_options::stream_loop_seconds, kHeld>(o, host);
    // Notes struck while catching up are not heard but remembered, so that
    // the host can let the ones that sound already ring on.
    if (host.note_on) o.note_on = noteOn;
    if (host.note_off) o.note_off = noteOff;
    // The channel messages whose last values are sent again at the switch.
    if (host.control_change) o.control_change = controlChange;
    if (host.program_change) o.program_change = programChange;
    if (host.pitch_bend) o.pitch_bend = pitchBend;
}

SilentStart::ChannelUse* SilentStart::use(int port, int channel)
{
    if (port < 0 || port >= DP_MAX_PORTS || channel < 0 || channel >= 16) return nullptr;
    return &used_[size_t(port)][size_t(channel)];
}

int SilentStart::noteOn(void* user, int port, int track, int channel, int key, int velocity)
{
    auto* self = static_cast<SilentStart*>(user);
    if (!self->muted_) return self->host_.note_on(self->hostUser_, port, track, channel, key, velocity);
    self->held_.on(HeldNotes::id(track, port, channel, key));
    return 0;
}

int SilentStart::noteOff(void* user, int port, int track, int channel, int key, int velocity)
{
    auto* self = static_cast<SilentStart*>(user);
    if (!self->muted_) return self->host_.note_off(self->hostUser_, port, track, channel, key, velocity);
    self->held_.off(HeldNotes::id(track, port, channel, key));
    return 0;
}

int SilentStart::controlChange(void* user, int port, int track, int channel, int controller, int value)
{
    auto* self = static_cast<SilentStart*>(user);
    if (!self->muted_) return self->host_.control_change(self->hostUser_, port, track, channel, controller, value);
    if (ChannelUse* use = self->use(port, channel); use && controller >= 0 && controller < 128)
        use->controllers.set(size_t(controller));
    return 0;
}

int SilentStart::programChange(void* user, int port, int track, int channel, int program)
{
    auto* self = static_cast<SilentStart*>(user);
    if (!self->muted_) return self->host_.program_change(self->hostUser_, port, track, channel, program);
    if (ChannelUse* use = self->use(port, channel)) use->program = true;
    return 0;
}

int SilentStart::pitchBend(void* user, int port, int track, int channel, int value)
{
    auto* self = static_cast<SilentStart*>(user);
    if (!self->muted_) return self->host_.pitch_bend(self->hostUser_, port, track, channel, value);
    if (ChannelUse* use = self->use(port, channel)) use->bend = true;
    return 0;
}

int SilentStart::catchUp(dp_player* player, uint32_t songMs)
{
    muted_ = true;
    int result = songMs ? player->advance_units(player, songMs, DP_NORMAL_SPEED) : 0;
    muted_ = false;
    const int resent = resendState(player);
    return result ? result : resent;
}

// Bank select goes before the program change, which takes the bank.
int SilentStart::resendState(dp_player* player)
{
    for (int port = 0; port < DP_MAX_PORTS; ++port) {
        for (int channel = 0; channel < 16; ++channel) {
            const ChannelUse& use = used_[size_t(port)][size_t(channel)];
            const unsigned portMask = 1u << port;
            const unsigned channelMask = 1u << channel;
            int result = 0;
            for (int bank : {kBankSelect, kBankSelectLow})
                if (!result && use.controllers.test(size_t(bank)))
                    result = player->resend_controller(player, 0, portMask, channelMask, bank);
            if (!result && use.program) result = player->resend_program(player, 0, portMask, channelMask);
            for (int controller = 0; controller < 128 && !result; ++controller)
                if (controller != kBankSelect && controller != kBankSelectLow &&
                    use.controllers.test(size_t(controller)))
                    result = player->resend_controller(player, 0, portMask, channelMask, controller);
            if (!result && use.bend) result = player->resend_pitch_bend(player, 0, portMask, channelMask);
            if (result) return result;
        }
    }
    return 0;
}

} // namespace zemfe
