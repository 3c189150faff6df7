// Arbitrary MIDI messages for any port of the built-in synthesizer, with
// rendering in between.  Input: a list of items, each led by a byte whose
// low four bits name the port and bits 4-5 the kind: 0 a short message
// (three bytes), 1 a long message (a length byte, then the bytes), 2 a
// render of 8 x (next byte) frames, 3 a long message framed in F0 .. F7.
#include "platform/midi_synth.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

platform::MidiSynth& synth()
{
    // Loading the SoundFont once keeps the inputs fast.
    static auto instance = platform::MidiSynth::create(platform::kDefaultSoundFont, 0.2, nullptr);
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::MidiSynth& s = synth();
    static const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    s.exclusive(0, gmOn, sizeof gmOn); // each input starts from a reset
    std::vector<int16_t> audio(2 * 8 * 255);
    std::vector<uint8_t> framed;
    size_t at = 0;
    while (at < size) {
        const int port = data[at] & 0x0F;
        const int kind = data[at] >> 4 & 3;
        ++at;
        switch (kind) {
        case 0: {
            uint32_t packed = 0;
            for (int i = 0; i < 3 && at < size; ++i) packed |= uint32_t(data[at++]) << (8 * i);
            s.shortMessage(port, packed);
            break;
        }
        case 1:
        case 3: {
            const size_t length = at < size ? data[at++] : 0;
            const size_t n = length < size - at ? length : size - at;
            if (kind == 1) {
                s.exclusive(port, data + at, n);
            } else {
                framed.assign(1, 0xF0);
                framed.insert(framed.end(), data + at, data + at + n);
                framed.push_back(0xF7);
                s.exclusive(port, framed.data(), framed.size());
            }
            at += n;
            break;
        }
        default: {
            const size_t frames = 8 * size_t(at < size ? data[at++] : 0);
            s.render(audio.data(), frames);
            break;
        }
        }
    }
    s.render(audio.data(), 64);
    return 0;
}
