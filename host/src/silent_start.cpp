#include "host/silent_start.h"

namespace host {

namespace {

constexpr int kBankSelect = 0;
constexpr int kBankSelectLow = 32;

} // namespace

SilentStart::SilentStart(Sinks host)
    : host_(host),
      sinks_{host.midi ? static_cast<MidiSink*>(this) : nullptr, host.sound ? static_cast<SoundSink*>(this) : nullptr}
{}

SilentStart::ChannelUse* SilentStart::use(int port, int channel)
{
    if (port < 0 || port >= DP_MAX_PORTS || channel < 0 || channel >= 16) return nullptr;
    return &used_[size_t(port)][size_t(channel)];
}

int SilentStart::noteOn(int port, int track, int channel, int key, int velocity)
{
    if (!muted_) return host_.midi->noteOn(port, track, channel, key, velocity);
    held_.on(HeldNotes::id(track, port, channel, key));
    return 0;
}

int SilentStart::noteOff(int port, int track, int channel, int key, int velocity)
{
    if (!muted_) return host_.midi->noteOff(port, track, channel, key, velocity);
    held_.off(HeldNotes::id(track, port, channel, key));
    return 0;
}

int SilentStart::controlChange(int port, int track, int channel, int controller, int value)
{
    if (!muted_) return host_.midi->controlChange(port, track, channel, controller, value);
    if (ChannelUse* use = SilentStart::use(port, channel); use && controller >= 0 && controller < 128)
        use->controllers.set(size_t(controller));
    return 0;
}

int SilentStart::programChange(int port, int track, int channel, int program)
{
    if (!muted_) return host_.midi->programChange(port, track, channel, program);
    if (ChannelUse* use = SilentStart::use(port, channel)) use->program = true;
    return 0;
}

int SilentStart::pitchBend(int port, int track, int channel, int value)
{
    if (!muted_) return host_.midi->pitchBend(port, track, channel, value);
    if (ChannelUse* use = SilentStart::use(port, channel)) use->bend = true;
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

} // namespace host
