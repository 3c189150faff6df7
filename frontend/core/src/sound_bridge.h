// The player's sound and stream bridge: sample and stream requests of the
// engine served by the stream output library, with one stream instance per
// stream slot, decoder libraries named by file extension, and file names
// resolved against the piece's folder.
//
// Used with the session lock held.  Without an audsink instance every
// request does nothing and answers as the engine expects of a missing one.
#pragma once

#include "frontend/audsink_api.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace frontend {

inline constexpr int kStreamSlots = 16;
inline constexpr uint32_t kStreamTickMs = 20;

// The decoder library for a file name: "qz" + extension + ".so" unless the
// settings name another; none when the last path component's extension is
// empty or holds anything but letters and digits.
struct DecoderChoice {
    std::string upperExtension; // the settings key
    std::string defaultName;
};
std::optional<DecoderChoice> decoderChoice(const std::string& name);

class SoundBridge {
public:
    using LineFn = std::function<void(const std::string&)>;
    // The decoder name for (upper-case extension, default name), from the
    // settings (written back there).
    using DecoderFn = std::function<std::string(const std::string&, const std::string&)>;

    SoundBridge(LineFn line, DecoderFn decoder) : line_(std::move(line)), decoder_(std::move(decoder)) {}
    ~SoundBridge() { destroy(); }
    SoundBridge(const SoundBridge&) = delete;
    SoundBridge& operator=(const SoundBridge&) = delete;

    enum class CreateResult { Created, NoInstance, NoStream };
    // Creates the instance (user value `user`) and the 16 stream instances;
    // on NoStream the instance is destroyed again.
    CreateResult create(const AudsinkEntries& entries, void* user);
    // Destroys the streams, closes the device, destroys the instance.
    void destroy();
    bool hasInstance() const { return instance_ != nullptr; }

    // Nothing for an empty name; the result is not examined.
    void openDevice(const std::string& name);
    void closeDevice();
    void pauseAll(bool pause);
    void closeAllStreams();

    // The folder of the current piece, without a trailing "/".
    void setPieceFolder(std::string folder) { pieceFolder_ = std::move(folder); }
    void setStreamBufferMs(uint32_t ms) { streamBufferMs_ = ms; }

    // Host callback entries 33 to 56.
    uintptr_t loadSample(const char* name, uint32_t param1, uint32_t param2);
    void freeSample(uintptr_t handle);
    int startVoice(uintptr_t handle, int loop);
    void stopVoice(uintptr_t handle);
    int voiceVolume(uintptr_t handle, int value);
    int voicePan(uintptr_t handle, int value);
    int voicePitch(uintptr_t handle, int value);
    uintptr_t duplicateSample(uintptr_t handle);
    int voiceStartPosition(uintptr_t handle, int fraction);
    int voicePlaying(uintptr_t handle);
    void streamOpen(int slot, const char* name, uint32_t param1, uint32_t param2);
    void streamClose(int slot);
    int streamPlay(int slot);
    void streamStop(int slot);
    int streamVolume(int slot, int value);
    int streamPan(int slot, int value);
    int streamPitch(int slot, int value);
    int streamSync(int slot, int wanted);
    void streamPosition(int slot, uint32_t low, uint32_t high);
    void streamPositionSeconds(int slot, float seconds);
    void streamLoopEnd(int slot, uint32_t low, uint32_t high);
    void streamLoopEndSeconds(int slot, float seconds);
    void streamLoop(int slot, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh);
    void streamLoopSeconds(int slot, float start, float end);

private:
    // The stream of a slot; null (with the line for a named request) when
    // the slot is out of range or there is no instance.
    ds8_stream* stream(int slot, const char* request = nullptr);
    std::string filePath(const std::string& name) const;

    LineFn line_;
    DecoderFn decoder_;
    ds8* instance_ = nullptr;
    std::array<ds8_stream*, kStreamSlots> streams_{};
    // An open was asked for and its outcome not yet seen by a sync.
    std::array<bool, kStreamSlots> openAsked_{};
    std::string pieceFolder_;
    uint32_t streamBufferMs_ = 200;
};

} // namespace frontend
