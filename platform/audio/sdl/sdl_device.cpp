// Real-time backend: SDL2's audio callback is the clock.  Device names are
// SDL's output device names.
#include "../mixer/mixed_device.h"
#include "platform/audio_pull.h"

#include <SDL.h>

#include <optional>

namespace platform {

namespace {

constexpr const char* kMapperName = "Default Audio Output";
// About 12 ms at 44.1 kHz: short enough for a player, long enough for a
// busy machine.
constexpr Uint16 kCallbackFrames = 512;

std::string cut(const std::string& name) { return name.substr(0, kAudioNameChars); }

// Keeps SDL's audio subsystem up while it lives.
class SdlAudio {
public:
    SdlAudio() : ok_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
    ~SdlAudio()
    {
        if (ok_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

std::vector<std::string> deviceNames()
{
    std::vector<std::string> names;
    SdlAudio audio;
    if (!audio.ok()) return names;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        names.emplace_back(name ? name : "");
    }
    return names;
}

class SdlDevice final : public audio::MixedDevice<AudioDevice> {
public:
    // name: SDL's device name, none for the default device.
    explicit SdlDevice(std::optional<std::string> name) : name_(std::move(name)) { mixer_->setPullSources(true); }
    ~SdlDevice() override
    {
        closeOutput();
        mixer_->close();
    }

    bool openOutput()
    {
        const AudioFormat format = primaryFormat();
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(format.sampleRate);
        want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        want.channels = static_cast<Uint8>(format.channels);
        want.samples = kCallbackFrames;
        want.callback = &SdlDevice::callback;
        want.userdata = this;
        blockBytes_ = format.blockBytes();
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the hardware takes.
        // The pull sources' own device steps aside meanwhile.
        pullOutputOpening();
        output_ = SDL_OpenAudioDevice(name_ ? name_->c_str() : nullptr, 0, &want, &have, 0);
        pullOutputOpened(output_ != 0);
        if (output_ == 0) return false;
        SDL_PauseAudioDevice(output_, 0);
        return true;
    }

private:
    static void callback(void* self, Uint8* stream, int length)
    {
        auto* device = static_cast<SdlDevice*>(self);
        device->mixer_->render(stream, static_cast<uint32_t>(length) / device->blockBytes_);
    }

    void closeOutput()
    {
        if (output_ == 0) return;
        SDL_CloseAudioDevice(output_);
        pullOutputClosed();
        output_ = 0;
    }

    AudioResult applyPrimaryFormat(const AudioFormat& format) override
    {
        const AudioFormat previous = primaryFormat();
        // Reopening for the format it already plays would only restart it.
        if (output_ != 0 && format == previous) return kAudioOk;
        closeOutput();
        setMixerFormat(format);
        if (openOutput()) return kAudioOk;
        setMixerFormat(previous);
        openOutput();
        return kAudioInvalidCall;
    }

    void setMixerFormat(const AudioFormat& format)
    {
        std::lock_guard lock(mixer_->mutex());
        mixer_->setFormat(format);
    }

    SdlAudio audio_;
    const std::optional<std::string> name_;
    SDL_AudioDeviceID output_ = 0;
    uint32_t blockBytes_ = 4;
};

} // namespace

int audioOutputDeviceCount() { return static_cast<int>(deviceNames().size()); }

std::string audioOutputDeviceName(int device)
{
    if (device == kAudioMapper) return cut(kMapperName);
    const std::vector<std::string> names = deviceNames();
    if (device < 0 || device >= static_cast<int>(names.size())) return {};
    return cut(names[static_cast<size_t>(device)]);
}

AudioResult openAudioDevice(const std::string& name, std::unique_ptr<AudioDevice>& device)
{
    device.reset();
    SdlAudio audio;
    if (!audio.ok()) return kAudioInvalidCall;
    std::optional<std::string> chosen;
    if (!name.empty() && cut(name) != cut(kMapperName)) {
        for (const std::string& candidate : deviceNames()) {
            if (cut(candidate) == cut(name)) {
                chosen = candidate;
                break;
            }
        }
        if (!chosen) return kAudioInvalidArgument;
    }
    auto opened = std::make_unique<SdlDevice>(std::move(chosen));
    if (!opened->openOutput()) return kAudioInvalidCall;
    device = std::move(opened);
    return kAudioOk;
}

} // namespace platform
