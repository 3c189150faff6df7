// A MIDI and sound sink that writes down its last call.
#pragma once

#include "host/midi_sink.h"
#include "host/sound_sink.h"

#include <sstream>
#include <string>

namespace host_test {

// Writes each call as "name arg arg ..." and answers 40 + the number of
// calls before it, so that a passed-back answer is recognisable.
class Recorder final : public host::MidiSink, public host::SoundSink {
public:
    std::string last;
    int calls = 0;
    uint8_t buffer[8] = {};

    template <class... A> int put(const char* name, A... args)
    {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        last = line.str();
        return 40 + calls++;
    }

    int error(uint32_t offset, int code) override { return put("error", offset, code); }
    int unitPassed(uint32_t counter) override { return put("unitPassed", counter); }
    int tickPassed(uint32_t counter) override { return put("tickPassed", counter); }
    int noteOff(int p, int t, int c, int k, int v) override { return put("noteOff", p, t, c, k, v); }
    int noteOn(int p, int t, int c, int k, int v) override { return put("noteOn", p, t, c, k, v); }
    int keyPressure(int p, int t, int c, int k, int v) override { return put("keyPressure", p, t, c, k, v); }
    int controlChange(int p, int t, int c, int n, int v) override { return put("controlChange", p, t, c, n, v); }
    int programChange(int p, int t, int c, int n) override { return put("programChange", p, t, c, n); }
    int channelPressure(int p, int t, int c, int v) override { return put("channelPressure", p, t, c, v); }
    int pitchBend(int p, int t, int c, int v) override { return put("pitchBend", p, t, c, v); }
    uint8_t* exclusiveBuffer(int p, int t, int n) override { return put("exclusiveBuffer", p, t, n), buffer; }
    int exclusiveSend(int p, int t, int n) override { return put("exclusiveSend", p, t, n); }
    int text(int t, const char* s, int n) override { return put("text", t, std::string(s, size_t(n)), n); }
    int tempo(uint32_t period) override { return put("tempo", period); }
    int meta(int t, int type, const uint8_t* b, int n) override { return put("meta", t, type, int(b[0]), n); }
    int endlessLoopPass(int t, uint32_t pass) override { return put("endlessLoopPass", t, pass); }

    uintptr_t loadSample(int i, const char* s, uint32_t a, uint32_t b) override
    {
        return uintptr_t(put("loadSample", i, s, a, b));
    }
    void freeSample(uintptr_t h) override { put("freeSample", h); }
    void startVoice(uintptr_t h, int loop) override { put("startVoice", h, loop); }
    void stopVoice(uintptr_t h) override { put("stopVoice", h); }
    int voiceVolume(uintptr_t h, int v) override { return put("voiceVolume", h, v); }
    int voicePan(uintptr_t h, int v) override { return put("voicePan", h, v); }
    int voicePitch(uintptr_t h, int v) override { return put("voicePitch", h, v); }
    uintptr_t duplicateSample(uintptr_t h) override { return uintptr_t(put("duplicateSample", h)); }
    void voiceStartPosition(uintptr_t h, int f) override { put("voiceStartPosition", h, f); }
    int voicePlaying(uintptr_t h) override { return put("voicePlaying", h); }
    void streamOpen(int s, const char* n, uint32_t a, uint32_t b) override { put("streamOpen", s, n, a, b); }
    void streamClose(int s) override { put("streamClose", s); }
    int streamPlay(int s) override { return put("streamPlay", s); }
    void streamStop(int s) override { put("streamStop", s); }
    int streamVolume(int s, int v) override { return put("streamVolume", s, v); }
    int streamPan(int s, int v) override { return put("streamPan", s, v); }
    int streamPitch(int s, int v) override { return put("streamPitch", s, v); }
    int streamSync(int s, int w) override { return put("streamSync", s, w); }
    void streamPosition(int s, uint32_t l, uint32_t h) override { put("streamPosition", s, l, h); }
    void streamPositionSeconds(int s, float f) override { put("streamPositionSeconds", s, f); }
    void streamLoopEnd(int s, uint32_t l, uint32_t h) override { put("streamLoopEnd", s, l, h); }
    void streamLoopEndSeconds(int s, float f) override { put("streamLoopEndSeconds", s, f); }
    void streamLoop(int s, uint32_t a, uint32_t b, uint32_t c, uint32_t d) override
    {
        put("streamLoop", s, a, b, c, d);
    }
    void streamLoopSeconds(int s, float a, float b) override { put("streamLoopSeconds", s, a, b); }
};

} // namespace host_test
