#include "synth_bank.h"

#include <algorithm>
#include <cmath>

namespace zem2wav {

SynthBank::SynthBank(std::vector<std::unique_ptr<platform::MidiSynth>> synths, const ChannelOwners& owners)
    : owners_(owners)
{
    for (auto& synth : synths) {
        lanes_.push_back(std::make_unique<Lane>());
        lanes_.back()->synth = std::move(synth);
    }
    for (size_t i = 1; i < lanes_.size(); ++i) {
        Lane& lane = *lanes_[i];
        lane.thread = std::thread([this, &lane] { serve(lane); });
    }
}

SynthBank::~SynthBank()
{
    quitting_ = true;
    for (size_t i = 1; i < lanes_.size(); ++i) {
        lanes_[i]->start.release();
        lanes_[i]->thread.join();
    }
}

void SynthBank::serve(Lane& lane)
{
    for (;;) {
        lane.start.acquire();
        if (quitting_) return;
        lane.synth->renderFloat(lane.left.data(), lane.right.data(), frames_);
        finished_.release();
    }
}

void SynthBank::shortMessage(int port, uint32_t packed)
{
    if (port < 0 || port >= platform::kSynthPorts) return;
    const size_t channel = size_t(port) * 16 + (packed & 0x0F);
    lanes_[owners_[channel]]->synth->shortMessage(port, packed);
}

void SynthBank::exclusive(int port, const uint8_t* bytes, size_t count)
{
    for (auto& lane : lanes_) lane->synth->exclusive(port, bytes, count);
}

void SynthBank::renderLanes(size_t frames)
{
    frames_ = frames;
    for (auto& lane : lanes_) {
        lane->left.resize(frames);
        lane->right.resize(frames);
    }
    for (size_t i = 1; i < lanes_.size(); ++i) lanes_[i]->start.release();
    lanes_[0]->synth->renderFloat(lanes_[0]->left.data(), lanes_[0]->right.data(), frames);
    for (size_t i = 1; i < lanes_.size(); ++i) finished_.acquire();
}

void SynthBank::render(int16_t* stereo, size_t frames)
{
    renderLanes(frames);
    std::vector<const float*> left, right;
    for (const auto& lane : lanes_) {
        left.push_back(lane->left.data());
        right.push_back(lane->right.data());
    }
    sumToStereo16(left, right, frames, stereo);
}

bool SynthBank::hasActiveVoices() const
{
    return std::any_of(lanes_.begin(), lanes_.end(), [](const auto& lane) { return lane->synth->hasActiveVoices(); });
}

namespace {

int16_t toSample16(float value)
{
    const float scaled = value * platform::kSynthFloatScale;
    const float rounded = scaled >= 0 ? scaled + 0.5f : scaled - 0.5f;
    return static_cast<int16_t>(std::clamp(rounded, -32768.0f, 32767.0f));
}

} // namespace

void sumToStereo16(const std::vector<const float*>& left, const std::vector<const float*>& right, size_t frames,
                   int16_t* stereo)
{
    for (size_t i = 0; i < frames; ++i) {
        float l = 0.0f, r = 0.0f;
        for (size_t k = 0; k < left.size(); ++k) {
            l += left[k][i];
            r += right[k][i];
        }
        stereo[2 * i] = toSample16(l);
        stereo[2 * i + 1] = toSample16(r);
    }
}

} // namespace zem2wav
