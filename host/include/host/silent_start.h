// Starting a new image where a playing one stands, without a sound from the
// skipped part: the new instance runs silently from its start to the song
// position, then sends each used channel's bank, program, controllers and
// bend as they stand there, and from then on plays audibly.
//
// A SilentStart sits between the engine and the host's own sinks: create
// the instance with sinks(), keep the SilentStart alive until that instance
// is closed, and call catchUp once.
#pragma once

#include "host/engine_options.h"
#include "host/held_notes.h"

#include "zemplay.h"

#include <array>
#include <bitset>
#include <cstdint>

namespace host {

class SilentStart final : private MidiSink, private SoundSink {
public:
    // host: the sinks the instance would have had; a sink missing there
    // stays missing.
    explicit SilentStart(Sinks host);
    SilentStart(const SilentStart&) = delete;
    SilentStart& operator=(const SilentStart&) = delete;

    // The instance's sinks.
    Sinks& sinks() { return sinks_; }

    // Runs player (made with sinks()) from its
    // start to songMs (1 unit = 1 ms at normal speed) with sound, streams,
    // texts and the elapsed-time count held back, then resends the state of
    // every channel used so far.  Returns the engine's first nonzero result,
    // else 0.
    int catchUp(dp_player* player, uint32_t songMs);
    // The notes the new instance holds at the song position (struck while
    // catching up and not yet released): none of them was heard.
    const HeldNotes& heldAtSwitch() const { return held_; }

private:
    struct ChannelUse {
        std::bitset<128> controllers;
        bool program = false;
        bool bend = false;
    };

    // Passes a call to the host's sink once audible; until then answers
    // with a default (0, null, nothing).
    template <auto Method, class Sink, class... A> auto held(Sink* sink, A... args)
    {
        if (muted_) return decltype((sink->*Method)(args...))();
        return (sink->*Method)(args...);
    }

    // Errors and loop decisions behave as they would from the start; tempo,
    // ticks and meta events set the displays to where the song is.
    int error(uint32_t offset, int code) override { return host_.midi->error(offset, code); }
    int tickPassed(uint32_t counter) override { return host_.midi->tickPassed(counter); }
    int tempo(uint32_t period) override { return host_.midi->tempo(period); }
    int meta(int track, int type, const uint8_t* bytes, int n) override
    {
        return host_.midi->meta(track, type, bytes, n);
    }
    int endlessLoopPass(int track, uint32_t pass) override { return host_.midi->endlessLoopPass(track, pass); }
    // The elapsed time goes on from where the old instance was.
    int unitPassed(uint32_t counter) override { return held<&MidiSink::unitPassed>(host_.midi, counter); }
    int keyPressure(int port, int track, int channel, int key, int value) override
    {
        return held<&MidiSink::keyPressure>(host_.midi, port, track, channel, key, value);
    }
    int channelPressure(int port, int track, int channel, int value) override
    {
        return held<&MidiSink::channelPressure>(host_.midi, port, track, channel, value);
    }
    uint8_t* exclusiveBuffer(int port, int track, int n) override
    {
        return held<&MidiSink::exclusiveBuffer>(host_.midi, port, track, n);
    }
    int exclusiveSend(int port, int track, int n) override
    {
        return held<&MidiSink::exclusiveSend>(host_.midi, port, track, n);
    }
    int text(int track, const char* text, int n) override { return held<&MidiSink::text>(host_.midi, track, text, n); }
    // Notes struck while catching up are not heard but remembered, so that
    // the host can let the ones that sound already ring on.
    int noteOn(int port, int track, int channel, int key, int velocity) override;
    int noteOff(int port, int track, int channel, int key, int velocity) override;
    // The channel messages whose last values are sent again at the switch.
    int controlChange(int port, int track, int channel, int controller, int value) override;
    int programChange(int port, int track, int channel, int program) override;
    int pitchBend(int port, int track, int channel, int value) override;

    // Samples are loaded as at the start, since later notes use them; what
    // would sound is held back, and a held stream never has to be waited for.
    uintptr_t loadSample(int instrument, const char* name, uint32_t a, uint32_t b) override
    {
        return host_.sound->loadSample(instrument, name, a, b);
    }
    void freeSample(uintptr_t handle) override { host_.sound->freeSample(handle); }
    uintptr_t duplicateSample(uintptr_t handle) override { return host_.sound->duplicateSample(handle); }
    void startVoice(uintptr_t h, int loop) override { held<&SoundSink::startVoice>(host_.sound, h, loop); }
    void stopVoice(uintptr_t h) override { held<&SoundSink::stopVoice>(host_.sound, h); }
    int voiceVolume(uintptr_t h, int v) override { return held<&SoundSink::voiceVolume>(host_.sound, h, v); }
    int voicePan(uintptr_t h, int v) override { return held<&SoundSink::voicePan>(host_.sound, h, v); }
    int voicePitch(uintptr_t h, int v) override { return held<&SoundSink::voicePitch>(host_.sound, h, v); }
    void voiceStartPosition(uintptr_t h, int f) override { held<&SoundSink::voiceStartPosition>(host_.sound, h, f); }
    int voicePlaying(uintptr_t h) override { return held<&SoundSink::voicePlaying>(host_.sound, h); }
    void streamOpen(int s, const char* name, uint32_t a, uint32_t b) override
    {
        held<&SoundSink::streamOpen>(host_.sound, s, name, a, b);
    }
    void streamClose(int s) override { held<&SoundSink::streamClose>(host_.sound, s); }
    int streamPlay(int s) override { return held<&SoundSink::streamPlay>(host_.sound, s); }
    void streamStop(int s) override { held<&SoundSink::streamStop>(host_.sound, s); }
    int streamVolume(int s, int v) override { return held<&SoundSink::streamVolume>(host_.sound, s, v); }
    int streamPan(int s, int v) override { return held<&SoundSink::streamPan>(host_.sound, s, v); }
    int streamPitch(int s, int v) override { return held<&SoundSink::streamPitch>(host_.sound, s, v); }
    int streamSync(int s, int wanted) override { return held<&SoundSink::streamSync>(host_.sound, s, wanted); }
    void streamPosition(int s, uint32_t l, uint32_t h) override
    {
        held<&SoundSink::streamPosition>(host_.sound, s, l, h);
    }
    void streamPositionSeconds(int s, float f) override { held<&SoundSink::streamPositionSeconds>(host_.sound, s, f); }
    void streamLoopEnd(int s, uint32_t l, uint32_t h) override
    {
        held<&SoundSink::streamLoopEnd>(host_.sound, s, l, h);
    }
    void streamLoopEndSeconds(int s, float f) override { held<&SoundSink::streamLoopEndSeconds>(host_.sound, s, f); }
    void streamLoop(int s, uint32_t a, uint32_t b, uint32_t c, uint32_t d) override
    {
        held<&SoundSink::streamLoop>(host_.sound, s, a, b, c, d);
    }
    void streamLoopSeconds(int s, float a, float b) override
    {
        held<&SoundSink::streamLoopSeconds>(host_.sound, s, a, b);
    }

    ChannelUse* use(int port, int channel);
    int resendState(dp_player* player);

    Sinks host_;
    Sinks sinks_;
    bool muted_ = true;
    HeldNotes held_;
    std::array<std::array<ChannelUse, 16>, DP_MAX_PORTS> used_{};
};

} // namespace host
