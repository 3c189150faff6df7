#include "midi_port_sink.h"

#include <chrono>
#include <thread>

namespace zem2wav {

void MidiPortSink::begin(int, int) { volumes_.forget(); }

util::ErrCode MidiPortSink::send(int port, int status, int channel, int data1, int data2)
{
    if (port < 0 || port >= static_cast<int>(ports_.size()) || !ports_[size_t(port)]) return 0;
    if (const util::ErrCode code = clock_.beforeMessage()) return code;
    const uint32_t packed = uint32_t(status | (channel & 0x0F)) | uint32_t(data1 & 0x7F) << 8 |
                            uint32_t(data2 & 0x7F) << 16;
    // A device that refuses a message loses that message, not the song.
    ports_[size_t(port)]->shortMessage(packed);
    return 0;
}

util::ErrCode MidiPortSink::noteOn(int port, int, int channel, int key, int velocity)
{
    return send(port, 0x90, channel, key, velocity);
}

util::ErrCode MidiPortSink::noteOff(int port, int, int channel, int key, int velocity)
{
    return send(port, 0x80, channel, key, velocity);
}

util::ErrCode MidiPortSink::keyPressure(int port, int, int channel, int key, int value)
{
    return send(port, 0xA0, channel, key, value);
}

util::ErrCode MidiPortSink::controlChange(int port, int, int channel, int controller, int value,
                                          const playback::FadeState& fade)
{
    if (controller != playback::kVolumeController) return send(port, 0xB0, channel, controller, value);
    const std::optional<uint8_t> volume = volumes_.next(port, channel, value, fade);
    return volume ? send(port, 0xB0, channel, controller, *volume) : 0;
}

util::ErrCode MidiPortSink::programChange(int port, int, int channel, int program)
{
    return send(port, 0xC0, channel, program, 0);
}

util::ErrCode MidiPortSink::channelPressure(int port, int, int channel, int value)
{
    return send(port, 0xD0, channel, value, 0);
}

util::ErrCode MidiPortSink::pitchBend(int port, int, int channel, int value)
{
    const int biased = value + 8192;
    return send(port, 0xE0, channel, biased & 0x7F, biased >> 7 & 0x7F);
}

util::ErrCode MidiPortSink::exclusive(int port, int, const uint8_t* bytes, uint32_t count)
{
    if (port < 0 || port >= static_cast<int>(ports_.size()) || !ports_[size_t(port)] || count == 0) return 0;
    if (const util::ErrCode code = clock_.beforeMessage()) return code;
    platform::MidiLongMessage message;
    message.data = bytes;
    message.length = count;
    // The message lives on this stack: wait until the device has taken it.
    if (ports_[size_t(port)]->longMessage(message)) {
        while (!message.done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

} // namespace zem2wav
