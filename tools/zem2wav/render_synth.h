// The synthesizer a render plays through: one FluidSynth, or for more than
// one thread a bank of them with the song's channels dealt out by load.
#pragma once

#include "synth_bank.h"

#include "host/song_playback.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zem2wav {

// Note-ons per synthesizer channel (16 x port + MIDI channel).
using ChannelLoad = std::array<uint64_t, kSynthChannels>;

// Plays the song without sound and counts its note-ons per channel.
ChannelLoad measureChannelLoad(const std::vector<uint8_t>& image, const host::PlaybackSettings& settings);

// How many synthesizers share the song: the threads, but no more than the
// channels that play notes, and at least one.
size_t laneCount(const ChannelLoad& load, unsigned threads);

// Deals the channels out to `lanes` synthesizers, the busiest channel
// first, each to the least loaded one so far.  Channels without notes go
// to the first.
ChannelOwners dealChannels(const ChannelLoad& load, size_t lanes);

// The processor's cores (1 when unknown).
unsigned defaultRenderThreads();

// One synthesizer for one thread (the output is then exactly that of a
// single FluidSynth), else a bank.  Null, with the reason in *error, when
// the SoundFont cannot be loaded.
std::unique_ptr<platform::MidiSynth> createRenderSynth(const std::vector<uint8_t>& image,
                                                       const host::PlaybackSettings& settings, unsigned threads,
                                                       double gain, std::string* error);

} // namespace zem2wav
