#include "mixed_device.h"

#include "mixed_buffer.h"

#include <algorithm>
#include <new>

namespace platform::audio {

namespace {

constexpr uint32_t kKnownFlags = kAudioBufferStatic | kAudioBufferLocHardware | kAudioBufferLocSoftware |
                                 kAudioBufferCtrlFrequency | kAudioBufferCtrlPan | kAudioBufferCtrlVolume |
                                 kAudioBufferStickyFocus | kAudioBufferGlobalFocus | kAudioBufferGetCurrentPosition2 |
                                 kAudioBufferLocDefer;

AudioResult checkFlags(uint32_t flags)
{
    if (flags & ~kKnownFlags) return kAudioInvalidArgument;
    const uint32_t locations = flags & (kAudioBufferLocHardware | kAudioBufferLocSoftware | kAudioBufferLocDefer);
    if (locations & (locations - 1)) return kAudioInvalidArgument; // more than one location
    if (locations == kAudioBufferLocHardware) return kAudioInvalidCall;
    return kAudioOk;
}

} // namespace

AudioResult createMixedBuffer(const std::shared_ptr<Mixer>& mixer, uint32_t flags, const AudioFormat& format,
                              uint32_t bytes, std::unique_ptr<AudioBuffer>& buffer)
{
    buffer.reset();
    if (const AudioResult result = checkFlags(flags); result != kAudioOk) return result;
    if (!format.isValid() || bytes < kAudioBufferBytesMin || bytes > kAudioBufferBytesMax ||
        bytes % format.blockBytes() != 0)
        return kAudioInvalidArgument;
    std::shared_ptr<Voice> voice;
    try {
        auto data = std::make_shared<SampleData>(bytes);
        std::fill_n(data->bytes.get(), bytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
        voice = std::make_shared<Voice>(flags, format, std::move(data));
    } catch (const std::bad_alloc&) {
        return kAudioOutOfMemory;
    }
    std::lock_guard lock(mixer->mutex());
    if (mixer->isClosed()) return kAudioInvalidCall;
    mixer->add(voice);
    buffer = std::make_unique<MixedBuffer>(mixer, std::move(voice));
    return kAudioOk;
}

AudioResult duplicateMixedBuffer(const std::shared_ptr<Mixer>& mixer, const AudioBuffer& original,
                                 std::unique_ptr<AudioBuffer>& duplicate)
{
    duplicate.reset();
    const auto* source = dynamic_cast<const MixedBuffer*>(&original);
    if (!source || source->mixer() != mixer) return kAudioInvalidArgument;
    const Voice& from = *source->voice();
    std::shared_ptr<Voice> voice;
    try {
        voice = std::make_shared<Voice>(from.flags, from.format, from.data);
    } catch (const std::bad_alloc&) {
        return kAudioOutOfMemory;
    }
    std::lock_guard lock(mixer->mutex());
    if (from.control.lost) return kAudioInvalidCall;
    voice->control.volume = from.control.volume;
    voice->control.pan = from.control.pan;
    voice->control.frequency = from.control.frequency;
    mixer->add(voice);
    duplicate = std::make_unique<MixedBuffer>(mixer, std::move(voice));
    return kAudioOk;
}

} // namespace platform::audio
