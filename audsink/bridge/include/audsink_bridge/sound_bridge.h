// The engine's sound sink carried out by the stream output
// library: one sound per sample handle, one stream instance per stream
// slot, decoder libraries named by file extension and file names resolved
// against the piece's folder.  Hosts differ only in the policies they pass.
//
// One caller at a time.  Without an instance every request does nothing and
// answers as the engine expects of a missing one.
#pragma once

#include "audsink_bridge/audsink_entries.h"
#include "audsink_bridge/bridge_policies.h"
#include "host/sound_sink.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace audsink_bridge {

// The device format every host opens: stereo, 16 bits.
inline constexpr int kDeviceRate = 44100;

// How the instance is made.
struct BridgeSetup {
    AudsinkEntries entries;
    void* user = nullptr;       // the instance's user value
    uint32_t streamTickMs = 20; // how often the stream threads wake
    // Opened before the streams are made, its failure failing the creation;
    // "" leaves the device to openDevice.
    std::string device;
};

class SoundBridge final : public host::SoundSink {
public:
    explicit SoundBridge(BridgePolicies policies);
    ~SoundBridge() { destroy(); }
    SoundBridge(const SoundBridge&) = delete;
    SoundBridge& operator=(const SoundBridge&) = delete;

    enum class CreateResult { Created, NoInstance, NoDevice, NoStream };
    // Creates the instance, its device when the setup names one, and the 16
    // stream instances; on failure the instance is destroyed again.
    CreateResult create(const BridgeSetup& setup);
    // The same, once the first sample load or stream request arrives, so
    // that a song without sampled sound never makes an instance.
    void createOnFirstUse(BridgeSetup setup) { deferred_ = std::move(setup); }
    // Destroys the streams, closes the device, destroys the instance.
    void destroy();
    bool hasInstance() const { return instance_ != nullptr; }
    // Null without an instance.
    ds8* instance() const { return instance_; }

    // Nothing for an empty name; the result is not examined.
    void openDevice(const std::string& name);
    void closeDevice();
    void pauseAll(bool pause);
    void closeAllStreams();

    // The folder of the current piece, without a trailing "/".
    void setPieceFolder(std::string folder) { pieceFolder_ = std::move(folder); }
    void setStreamBufferMs(uint32_t ms) { streamBufferMs_ = ms; }

    // The engine's voice and stream callbacks.  Handle 0 is no sound;
    // setters answer 0 when the value was taken, 1 when it was refused.
    // The instrument number plays no part.
    uintptr_t loadSample(int instrument, const char* name, uint32_t param1, uint32_t param2) override;
    void freeSample(uintptr_t handle) override;
    void startVoice(uintptr_t handle, int loop) override;
    void stopVoice(uintptr_t handle) override;
    int voiceVolume(uintptr_t handle, int value) override;
    int voicePan(uintptr_t handle, int value) override;
    int voicePitch(uintptr_t handle, int value) override;
    uintptr_t duplicateSample(uintptr_t handle) override;
    void voiceStartPosition(uintptr_t handle, int fraction) override;
    // Status bits; DS8_STATUS_FAILED for no sound.
    int voicePlaying(uintptr_t handle) override;
    void streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2) override;
    void streamClose(int slot) override;
    int streamPlay(int slot) override;
    void streamStop(int slot) override;
    int streamVolume(int slot, int value) override;
    int streamPan(int slot, int value) override;
    int streamPitch(int slot, int value) override;
    // 0 once the wanted state (0 open, 1 stopped) is reached, or the wait
    // is given up; an open seen failing counts as reached.
    int streamSync(int slot, int wanted) override;
    void streamPosition(int slot, uint32_t low, uint32_t high) override;
    void streamPositionSeconds(int slot, float seconds) override;
    void streamLoopEnd(int slot, uint32_t low, uint32_t high) override;
    void streamLoopEndSeconds(int slot, float seconds) override;
    void streamLoop(int slot, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh) override;
    void streamLoopSeconds(int slot, float start, float end) override;

private:
    using SoundSetter = int32_t (*ds8::*)(ds8_sound*, int32_t);
    using StreamSetter = int32_t (*ds8::*)(ds8_stream*, int32_t);

    // The sound of a handle; null for none or without an instance.
    ds8_sound* sound(uintptr_t handle);
    // The stream of a slot; null (reported for a named request) when the
    // slot is out of range, or without an instance.
    ds8_stream* stream(int slot, std::optional<StreamRequest> request = std::nullopt);
    // Opens the device `name` of the instance in the hosts' format.
    int32_t openOn(const std::string& name);
    // Closes the stream of a slot in range, with an instance.
    void requestClose(int slot);
    int setSound(uintptr_t handle, SoundSetter setter, int value);
    int setStream(int slot, StreamSetter setter, int value);
    std::string decoderFor(const DecoderChoice& choice) const;
    // Carries out a deferred creation and device open.
    void prepareOnFirstUse();
    void report(StreamRequest request, int slot, StreamFailureCode code) const;
    // Tells the host of a file a request names.
    void named(const char* name) const;

    BridgePolicies policies_;
    SyncWait defaultWait_;
    SyncWait& syncWait_;
    std::optional<BridgeSetup> deferred_;
    ds8* instance_ = nullptr;
    std::array<ds8_stream*, kStreamSlots> streams_{};
    // An open was asked for and its outcome not yet seen by a sync.
    std::array<bool, kStreamSlots> openAsked_{};
    std::string pieceFolder_;
    uint32_t streamBufferMs_ = 200;
};

} // namespace audsink_bridge
