#include "platform/audio_pull.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct Sources {
    std::mutex lock;
    int outputs = 0;
    uint64_t clock = 0;
    std::vector<AudioPullSource*> list;
};

Sources& sources()
{
    static Sources s;
    return s;
}

} // namespace

bool attachPullSource(AudioPullSource* source, uint64_t* clock)
{
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    if (!source || s.outputs == 0) return false;
    s.list.push_back(source);
    if (clock) *clock = s.clock;
    return true;
}

void detachPullSource(AudioPullSource* source)
{
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    std::erase(s.list, source);
}

void pullOutputOpened()
{
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    ++s.outputs;
}

void pullOutputClosed()
{
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    --s.outputs;
}

void mixPullSources(float* mix, uint32_t frames, uint32_t channels, uint32_t rate)
{
    constexpr size_t kPiece = 256;
    Sources& s = sources();
    std::lock_guard guard(s.lock);
    const uint64_t start = s.clock;
    s.clock += frames;
    if (rate != kPullRate || channels == 0) return;
    std::array<int16_t, 2 * kPiece> stereo;
    for (AudioPullSource* source : s.list) {
        for (uint32_t done = 0; done < frames;) {
            const uint32_t n = std::min<uint32_t>(frames - done, kPiece);
            source->pull(stereo.data(), n, start + done);
            float* out = mix + size_t{done} * channels;
            for (uint32_t i = 0; i < n; ++i) {
                const float left = stereo[2 * i] * (1.0f / 32768);
                const float right = stereo[2 * i + 1] * (1.0f / 32768);
                if (channels == 1) {
                    out[i] += 0.5f * (left + right);
                } else {
                    out[channels * i] += left;
                    out[channels * i + 1] += right;
                }
            }
            done += n;
        }
    }
}

} // namespace platform
