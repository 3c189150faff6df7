#include "render_limit.h"

#include "offline_renderer.h"
#include "wave_writer.h"

#include "wave/pcm_header.h"

#include <cstdio>

namespace zem2wav {

namespace {

constexpr uint64_t kMsPerMinute = 60000;

// The longest song whose frames still fit the RIFF size fields.
constexpr uint64_t waveCapacityMs()
{
    const uint64_t frames = wave::kMaxPcmDataBytes / kWaveBytesPerFrame;
    return frames * 1000 / platform::kSynthSampleRate;
}

} // namespace

std::string clockText(uint64_t ms)
{
    const uint64_t s = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", static_cast<unsigned long long>(s / 3600),
                  static_cast<unsigned long long>(s / 60 % 60), static_cast<unsigned long long>(s % 60));
    return text;
}

std::string renderRefusal(uint64_t songMs, bool cut, uint32_t limitMinutes, uint32_t tailMs)
{
    const std::string length = (cut ? "longer than " : "") + clockText(songMs);
    const uint64_t limitMs = uint64_t{limitMinutes} * kMsPerMinute;
    if (songMs > limitMs)
        return "Song plays " + length + ", longer than the render limit of " + clockText(limitMs) +
               " (-T raises it, in minutes).";
    if (songMs + tailMs > waveCapacityMs())
        return "Song plays " + length + ", longer than a WAVE file holds (" + clockText(waveCapacityMs()) + ").";
    return {};
}

} // namespace zem2wav
