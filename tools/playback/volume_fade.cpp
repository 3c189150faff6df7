#include "volume_fade.h"

namespace playback {

uint32_t fadedVolume(uint32_t v, const host::FadeState& fade)
{
    if (fade.fadeMs == 0) return v;
    // 64-bit product: a fade of hours must not wrap.
    return static_cast<uint32_t>(uint64_t{v} * fade.fadeRemaining / fade.fadeMs);
}

void VolumeFade::forget()
{
    for (auto& port : last_) port.fill(kNone);
}

std::optional<uint8_t> VolumeFade::next(int port, int channel, int value, const host::FadeState& fade)
{
    const auto scaled = static_cast<uint8_t>(fadedVolume(static_cast<uint32_t>(value), fade));
    uint8_t& last = last_[static_cast<size_t>(port & 15)][static_cast<size_t>(channel & 15)];
    if (fade.fading && scaled == last) return std::nullopt;
    last = scaled;
    return scaled;
}

} // namespace playback
