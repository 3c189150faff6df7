#include "midi_port_sink.h"

#include <chrono>
#include <thread>

namespace zem2wav {

void MidiPortSink::begin(int, int) { volumes_.forget(); }

util::ErrCode MidiPortSink::channelMessage(int port, int, const host::ChannelMessage& m, const host::FadeState& fade)
{
    uint8_t data2 = m.data2;
    if (m.kind == host::ChannelKind::Controller && m.data1 == host::kVolumeController) {
        const std::optional<uint8_t> volume = volumes_.next(port, m.channel, m.data2, fade);
        if (!volume) return 0;
        data2 = *volume;
    }
    platform::MidiOutPort* out = outputOf(port);
    if (!out) return 0;
    if (const util::ErrCode code = clock_.beforeMessage()) return code;
    const uint32_t packed = uint32_t{host::statusOf(m.kind, m.channel)} | uint32_t(m.data1 & 0x7F) << 8 |
                            uint32_t(data2 & 0x7F) << 16;
    // A device that refuses a message loses that message, not the song.
    out->shortMessage(packed);
    return 0;
}

util::ErrCode MidiPortSink::exclusive(int port, int, const uint8_t* bytes, uint32_t count)
{
    platform::MidiOutPort* out = outputOf(port);
    if (!out || count == 0) return 0;
    if (const util::ErrCode code = clock_.beforeMessage()) return code;
    platform::MidiLongMessage message;
    message.data = bytes;
    message.length = count;
    // The message lives on this stack: wait until the device has taken it.
    if (out->longMessage(message)) {
        while (!message.done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

} // namespace zem2wav
