// The synthesizer a render plays through: one FluidSynth, its voices
// rendered by one thread or several.
#pragma once

#include "platform/midi_synth.h"

#include <memory>
#include <string>

namespace zem2wav {

// The processor's cores (1 when unknown).
unsigned defaultRenderThreads();

// The synthesizer rendering on `threads` threads (at least 1); its samples
// are those of one thread.  Null, with the reason in *error, when the
// SoundFont cannot be loaded.
std::unique_ptr<platform::MidiSynth> createRenderSynth(unsigned threads, double gain, std::string* error);

} // namespace zem2wav
