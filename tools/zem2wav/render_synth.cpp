#include "render_synth.h"

#include <algorithm>
#include <thread>

namespace zem2wav {

unsigned defaultRenderThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

std::unique_ptr<platform::MidiSynth> createRenderSynth(unsigned threads, double gain, std::string* error)
{
    return platform::MidiSynth::create(platform::synthSoundFontPath(), gain, error, std::max(1u, threads));
}

} // namespace zem2wav
