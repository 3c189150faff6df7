#include "audsink_sound.h"

#include "platform/audio.h"
#include "platform/midi_synth.h"

#include <algorithm>

namespace zem2wav {

namespace {

// The stream tick as fine as the song's own time, so that requests land
// within a millisecond.
constexpr uint32_t kStreamTickMs = 1;
static_assert(audsink_bridge::kDeviceRate == platform::kSynthSampleRate, "streams mix into the synthesizer's frames");

} // namespace

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash == 0 ? 1 : slash);
}

AudsinkSound::AudsinkSound(OfflineRenderer& renderer, std::string pieceFolder, audsink_bridge::AudsinkEntries entries)
    : renderer_(renderer),
      syncLimit_([&renderer] { return renderer.units(); }),
      bridge_({.beforeRequest = [&renderer] { renderer.beforeMessage(); },
               .fileNamed = [this](const std::string& path) { filesRead_.insert(path); },
               .syncWait = &syncLimit_})
{
    bridge_.setPieceFolder(std::move(pieceFolder));
    bridge_.createOnFirstUse({.entries = entries, .streamTickMs = kStreamTickMs, .device = DS8_OFFLINE_DEVICE});
}

void AudsinkSound::mixInto(int16_t* stereo, size_t frames)
{
    ds8* instance = bridge_.instance();
    if (!instance) return;
    auto& device = *static_cast<platform::OfflineAudioDevice*>(
        static_cast<platform::AudioDevice*>(instance->device_object(instance)));
    mix_.resize(2 * frames);
    device.render(mix_.data(), static_cast<uint32_t>(frames));
    for (size_t i = 0; i < 2 * frames; ++i) {
        if (i % 2 == 0 && endFadeStep_ != 0) gain_ = std::max(gain_ - endFadeStep_, 0);
        const int sample = gain_ == kFullGain ? int{mix_[i]} : int{mix_[i]} * gain_ / kFullGain;
        stereo[i] = static_cast<int16_t>(std::clamp(int{stereo[i]} + sample, -32768, 32767));
    }
}

void AudsinkSound::followFade(const host::FadeState& fade)
{
    const int32_t gain = fade.fadeMs == 0 ? kFullGain
                                          : static_cast<int32_t>(int64_t{fade.fadeRemaining} * kFullGain / fade.fadeMs);
    if (gain == gain_ || !bridge_.instance()) return;
    // The frames due so far keep the level they were played at.  This runs
    // inside the engine, which must not be unwound: a failed write raises
    // again at the next flush.
    renderer_.beforeMessage();
    gain_ = gain;
}

void AudsinkSound::fadeOutAtEnd()
{
    if (!bridge_.instance()) return;
    renderer_.flush();
    constexpr int32_t kEndFadeFrames = platform::kSynthSampleRate / 1000 * kEndFadeMs;
    endFadeStep_ = std::max(gain_ / kEndFadeFrames, 1);
}

} // namespace zem2wav
