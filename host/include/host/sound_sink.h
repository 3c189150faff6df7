// Sampled sound a song asks for beside its MIDI events: the voice layer
// (samples played as voices) and the stream slots (long audio files).  The
// methods are the engine's callbacks of the same names; handles are the
// sink's own, 0 for none.
#pragma once

#include <cstdint>

namespace host {

class SoundSink {
public:
    virtual ~SoundSink() = default;

    virtual uintptr_t loadSample(int instrument, const char* name, uint32_t param1, uint32_t param2) = 0;
    virtual void freeSample(uintptr_t handle) = 0;
    virtual void startVoice(uintptr_t handle, int loop) = 0;
    virtual void stopVoice(uintptr_t handle) = 0;
    // 0 when the value was taken.
    virtual int voiceVolume(uintptr_t handle, int volume /* 0..0x4000 */) = 0;
    virtual int voicePan(uintptr_t handle, int pan /* -0x4000..0x4000 */) = 0;
    virtual int voicePitch(uintptr_t handle, int pitch /* -0x8000..0x7FFF, 256 per semitone */) = 0;
    virtual uintptr_t duplicateSample(uintptr_t handle) = 0;
    virtual void voiceStartPosition(uintptr_t handle, int fraction /* 0..0x4000 */) = 0;
    // Bit 0 set while the voice sounds.
    virtual int voicePlaying(uintptr_t handle) = 0;

    virtual void streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2) = 0;
    virtual void streamClose(int slot) = 0;
    virtual int streamPlay(int slot) = 0;
    virtual void streamStop(int slot) = 0;
    virtual int streamVolume(int slot, int volume) = 0;
    virtual int streamPan(int slot, int pan) = 0;
    virtual int streamPitch(int slot, int pitch) = 0;
    // 0 once the wanted condition holds (0 open, 1 stopped).
    virtual int streamSync(int slot, int wanted) = 0;
    virtual void streamPosition(int slot, uint32_t low, uint32_t high) = 0;
    virtual void streamPositionSeconds(int slot, float seconds) = 0;
    virtual void streamLoopEnd(int slot, uint32_t low, uint32_t high) = 0;
    virtual void streamLoopEndSeconds(int slot, float seconds) = 0;
    virtual void streamLoop(int slot, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh) = 0;
    virtual void streamLoopSeconds(int slot, float start, float end) = 0;
};

} // namespace host
