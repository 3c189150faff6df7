#include "mixer.h"

#include "pcm.h"
#include "platform/audio_pull.h"

#include <algorithm>

namespace platform::audio {

Mixer::Mixer(const AudioFormat& format) : format_(format), renderFormat_(format) {}

void Mixer::add(std::shared_ptr<Voice> voice) { voices_.push_back(std::move(voice)); }

void Mixer::remove(const Voice& voice)
{
    std::erase_if(voices_, [&](const std::shared_ptr<Voice>& v) { return v.get() == &voice; });
}

uint32_t Mixer::readAheadFrames(const Voice& voice) const
{
    const uint64_t consumed = uint64_t{kBlockFrames} * voice.control.frequency / format_.sampleRate + 1;
    const bool resampled = voice.control.resampling || voice.control.frequency != format_.sampleRate;
    // A resampled voice reads whole chunks, and may take one it does not use.
    return static_cast<uint32_t>(consumed + (resampled ? kBlockFrames : 0));
}

void Mixer::close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (const auto& voice : voices_) {
        voice->control.lost = true;
        voice->control.playing = false;
    }
    voices_.clear();
}

void Mixer::render(uint8_t* out, uint32_t frames)
{
    while (frames > 0) {
        const uint32_t block = std::min(frames, kBlockFrames);
        renderBlock(out, block);
        out += block * renderFormat_.blockBytes();
        frames -= block;
    }
}

void Mixer::renderBlock(uint8_t* out, uint32_t frames)
{
    snapshot();
    std::fill_n(mix_.begin(), frames * renderFormat_.channels, 0.0f);
    for (const auto& voice : active_) mixVoice(*voice, frames);
    if (pullSources_) platform::mixPullSources(mix_.data(), frames, renderFormat_.channels, renderFormat_.sampleRate);
    writeBack();
    active_.clear();
    writeSamples(mix_.data(), frames * renderFormat_.channels, renderFormat_.bitsPerSample, out);
}

void Mixer::snapshot()
{
    std::lock_guard lock(mutex_);
    renderFormat_ = format_;
    for (const auto& voice : voices_) {
        const VoiceControl& control = voice->control;
        if (!control.playing) continue;
        VoiceMix& mix = voice->mix;
        if (mix.positionGeneration != control.positionGeneration) {
            mix.positionGeneration = control.positionGeneration;
            mix.positionFrames = control.positionFrames;
            mix.resampling = false;
        }
        // The resampler's history belongs to the input it last saw.
        if (!mix.resampling && control.frequency != renderFormat_.sampleRate) {
            mix.resampling = true;
            mix.needsHistory = true;
        }
        mix.frequency = control.frequency;
        mix.looping = control.looping;
        mix.ended = false;
        if (mix.volume != control.volume || mix.pan != control.pan) {
            mix.gains = gainsOf(control.volume, control.pan);
            mix.volume = control.volume;
            mix.pan = control.pan;
        }
        active_.push_back(voice);
    }
}

void Mixer::writeBack()
{
    std::lock_guard lock(mutex_);
    for (const auto& voice : active_) {
        VoiceControl& control = voice->control;
        const VoiceMix& mix = voice->mix;
        // A caller moved or restarted the voice while it was being mixed:
        // its request wins over what the mixer computed.
        if (control.positionGeneration != mix.positionGeneration) continue;
        control.resampling = mix.resampling;
        if (mix.ended) {
            control.playing = false;
            control.positionFrames = 0;
        } else {
            control.positionFrames = mix.positionFrames;
        }
    }
}

void Mixer::mixVoice(Voice& voice, uint32_t frames)
{
    if (!voice.mix.resampling)
        mixDirect(voice, frames);
    else
        mixResampled(voice, frames);
}

namespace {

// Moves the cursor past frames just read; at the end it wraps or ends.
void advance(Voice& voice, uint32_t frames)
{
    VoiceMix& mix = voice.mix;
    mix.positionFrames += frames;
    if (mix.positionFrames < voice.frames()) return;
    mix.positionFrames = 0;
    if (!mix.looping) mix.ended = true;
}

const uint8_t* frameAddress(const Voice& voice, uint32_t frame)
{
    return voice.data->bytes.get() + size_t{frame} * voice.format.blockBytes();
}

} // namespace

void Mixer::mixDirect(Voice& voice, uint32_t frames)
{
    const Gains& gains = voice.mix.gains;
    const uint32_t channels = renderFormat_.channels;
    uint32_t done = 0;
    while (done < frames && !voice.mix.ended) {
        const uint32_t chunk = std::min(frames - done, voice.frames() - voice.mix.positionFrames);
        readFrames(frameAddress(voice, voice.mix.positionFrames), voice.format, chunk, input_.data());
        addFrames(input_.data(), voice.format.channels, chunk, gains, mix_.data() + done * channels, channels);
        done += chunk;
        advance(voice, chunk);
    }
}

void Mixer::mixResampled(Voice& voice, uint32_t frames)
{
    const Gains& gains = voice.mix.gains;
    const uint32_t channels = renderFormat_.channels;
    voice.resampler.setRates(voice.mix.frequency, renderFormat_.sampleRate);
    if (voice.mix.needsHistory) {
        voice.mix.needsHistory = false;
        const uint32_t at = voice.mix.positionFrames;
        const uint32_t history = std::min({at, voice.resampler.historyFrames(), kBlockFrames});
        readFrames(frameAddress(voice, at - history), voice.format, history, input_.data());
        voice.resampler.restartAfter(input_.data(), history);
    }
    uint32_t done = 0;
    while (done < frames && !voice.mix.ended) {
        uint32_t taken = std::min(kBlockFrames, voice.frames() - voice.mix.positionFrames);
        uint32_t made = frames - done;
        readFrames(frameAddress(voice, voice.mix.positionFrames), voice.format, taken, input_.data());
        voice.resampler.process(input_.data(), taken, resampled_.data(), made);
        addFrames(resampled_.data(), voice.format.channels, made, gains, mix_.data() + done * channels, channels);
        done += made;
        if (taken == 0 && made == 0) break; // nothing moves: leave the rest silent
        advance(voice, taken);
    }
}

} // namespace platform::audio
