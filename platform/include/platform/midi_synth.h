// The built-in General MIDI synthesizer: FluidSynth with a SoundFont, 256
// channels, rendering 44100 Hz 16-bit stereo into buffers.  Port p of the
// synthesizer plays MIDI channels 0-15 on its channels 16p .. 16p + 15;
// channel 15 of port 15 is mute (FluidSynth uses channel 255 as a marker).
//
// Thread safety: every call may come from any thread.
#pragma once

#include "platform/midi_out.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

inline constexpr int kSynthPorts = 16;
inline constexpr int kSynthSampleRate = 44100;
inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// ZEM_SOUNDFONT when set and not empty, else kDefaultSoundFont.
std::string synthSoundFontPath();

class MidiSynth {
public:
    // gain: FluidSynth's master gain (0.2 is its own default).  threads:
    // how many threads render the voices (FluidSynth's own: the output is
    // the same sample for sample whatever the count).  Null, with the
    // reason in *error, when the SoundFont cannot be loaded.
    static std::unique_ptr<MidiSynth> create(const std::string& soundFont, double gain, std::string* error,
                                             unsigned threads = 1);
    virtual ~MidiSynth() = default;

    // port 0..15; packed as MidiOutPort::shortMessage.
    virtual void shortMessage(int port, uint32_t packed) = 0;
    // A whole message F0 .. F7 (or without the F0).  GS scale tuning and
    // rhythm part messages act on the port's own part; GM/GS/XG resets and
    // the rest go to FluidSynth's SysEx handling, which knows one set of 16
    // parts: a reset resets every port, as on a multi-port module.
    virtual void exclusive(int port, const uint8_t* bytes, size_t count) = 0;
    // Renders frames stereo frames, interleaved left/right.
    virtual void render(int16_t* stereo, size_t frames) = 0;
    // True while any voice is still sounding (release phases included).
    virtual bool hasActiveVoices() const = 0;
};

// Port 0..15 of synth as an output port (synth must outlive it); messages
// reach the synthesizer at once, so long messages are done on return.
std::unique_ptr<MidiOutPort> synthPort(MidiSynth& synth, int port);

} // namespace platform
