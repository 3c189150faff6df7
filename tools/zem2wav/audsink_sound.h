// The voice layer and the stream slots of a song, sounded through audsink
// on its offline device and mixed into the synthesizer's frames in step
// with them.  Nothing is created until a song first asks for sampled sound,
// so a song without any renders exactly as it would without this.
#pragma once

#include "midi_port_sink.h"
#include "offline_renderer.h"

#include "audsink.h"
#include "playback/sound_sink.h"

#include <array>
#include <string>
#include <vector>

namespace zem2wav {

class AudsinkSound final : public playback::SoundSink, public FrameMixer {
public:
    // Names of samples and streams are resolved against pieceFolder; the
    // renderer is flushed before every change so that it lands on its exact
    // frame.
    AudsinkSound(OfflineRenderer& renderer, std::string pieceFolder);
    ~AudsinkSound() override;
    AudsinkSound(const AudsinkSound&) = delete;
    AudsinkSound& operator=(const AudsinkSound&) = delete;

    void mixInto(int16_t* stereo, size_t frames) override;

    uintptr_t loadSample(int instrument, const char* name, uint32_t param1, uint32_t param2) override;
    void freeSample(uintptr_t handle) override;
    void startVoice(uintptr_t handle, int loop) override;
    void stopVoice(uintptr_t handle) override;
    int voiceVolume(uintptr_t handle, int volume) override;
    int voicePan(uintptr_t handle, int pan) override;
    int voicePitch(uintptr_t handle, int pitch) override;
    uintptr_t duplicateSample(uintptr_t handle) override;
    void voiceStartPosition(uintptr_t handle, int fraction) override;
    int voicePlaying(uintptr_t handle) override;

    void streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2) override;
    void streamClose(int slot) override;
    int streamPlay(int slot) override;
    void streamStop(int slot) override;
    int streamVolume(int slot, int volume) override;
    int streamPan(int slot, int pan) override;
    int streamPitch(int slot, int pitch) override;
    int streamSync(int slot, int wanted) override;
    void streamPosition(int slot, uint32_t low, uint32_t high) override;
    void streamPositionSeconds(int slot, float seconds) override;
    void streamLoopEnd(int slot, uint32_t low, uint32_t high) override;
    void streamLoopEndSeconds(int slot, float seconds) override;
    void streamLoop(int slot, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh) override;
    void streamLoopSeconds(int slot, float start, float end) override;

private:
    // The instance, its offline device and the sixteen streams, made on
    // first use; false when audsink cannot give them.
    bool ready();
    // The stream of a slot after the frames due so far were rendered; null
    // for a slot outside 0..15 or without audsink.
    ds8_stream* streamAt(int slot);
    ds8_sound* sound(uintptr_t handle);

    OfflineRenderer& clock_;
    std::string folder_;
    // Song time at which each slot's unmet sync wait began.
    std::array<uint64_t, 16> waitingSince_;
    ds8* ds_ = nullptr;
    bool failed_ = false;
    std::array<ds8_stream*, 16> streams_{};
    std::vector<int16_t> mix_;
};

// The file a sample or stream name means, and the decoder for it: a name
// starting with "/" stays as it is, any other is taken in the piece's
// folder; the decoder is "qz" + the extension in lower case + ".so".
std::string soundPath(const std::string& folder, const std::string& name);
// The folder part of a path ("" for a bare name).
std::string folderOf(const std::string& path);
std::string decoderFor(const std::string& name);

} // namespace zem2wav
