#include "offline_renderer.h"

#include <algorithm>
#include <cstdlib>

#include "util/uerr.h"

namespace zem2wav {

namespace {

constexpr size_t kPieceFrames = 4096;
// The tail is checked every 10 ms; below this magnitude (about -78 dBFS,
// the synthesizer's dither) a piece counts as silent.
constexpr size_t kTailPieceFrames = platform::kSynthSampleRate / 100;
constexpr int kSilentMagnitude = 4;

} // namespace

OfflineRenderer::OfflineRenderer(platform::MidiSynth& synth, FrameWriter write)
    : synth_(synth), write_(std::move(write)), buffer_(2 * kPieceFrames)
{}

void OfflineRenderer::unitPassed()
{
    ++units_;
    if (onSecond_ && units_ % 1000 == 0) onSecond_(units_);
}

int OfflineRenderer::renderFrames(size_t n)
{
    synth_.render(buffer_.data(), n);
    if (mixer_) mixer_->mixInto(buffer_.data(), n);
    write_(buffer_.data(), n);
    framesRendered_ += n;
    int peak = 0;
    for (size_t i = 0; i < 2 * n; ++i) peak = std::max(peak, std::abs(int{buffer_[i]}));
    return peak;
}

util::ErrCode OfflineRenderer::beforeMessage()
{
    try {
        flush();
        return 0;
    } catch (const util::UerrRaised& raised) {
        return raised.code;
    }
}

void OfflineRenderer::flush()
{
    // After the tail the frames rendered run ahead of the song's time.
    const uint64_t target = framesAtUnit(units_);
    uint64_t due = target > framesRendered_ ? target - framesRendered_ : 0;
    while (due > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(due, kPieceFrames));
        renderFrames(n);
        due -= n;
    }
}

void OfflineRenderer::renderTail(uint64_t maxFrames)
{
    flush();
    for (uint64_t done = 0; done < maxFrames;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(maxFrames - done, kTailPieceFrames));
        const int peak = renderFrames(n);
        done += n;
        if (!synth_.hasActiveVoices() && peak <= kSilentMagnitude) break;
    }
}

} // namespace zem2wav
