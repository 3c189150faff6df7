// META events of the stream slots: the track's current slot (PARAM 130).
#include "voice_layer.h"

#include "commands.h"
#include "core.h"
#include "payload_name.h"
#include "stream_position_text.h"

namespace zemplay {

namespace {

void sendPosition(Instance& in, unsigned slot, const StreamPosition& at, bool loopEnd)
{
    const dp_options& cb = in.cb;
    int s = static_cast<int>(slot);
    if (at.inSeconds) {
        auto send = loopEnd ? cb.stream_loop_end_seconds : cb.stream_position_seconds;
        if (send) send(in.user, s, at.seconds);
        return;
    }
    auto send = loopEnd ? cb.stream_loop_end : cb.stream_position;
    if (send) send(in.user, s, static_cast<uint32_t>(at.samples), static_cast<uint32_t>(at.samples >> 32));
}

void sendLoop(Instance& in, unsigned slot, const StreamLoop& loop)
{
    const dp_options& cb = in.cb;
    int s = static_cast<int>(slot);
    if (loop.start.inSeconds) {
        if (cb.stream_loop_seconds) cb.stream_loop_seconds(in.user, s, loop.start.seconds, loop.end.seconds);
        return;
    }
    if (cb.stream_loop)
        cb.stream_loop(in.user, s, static_cast<uint32_t>(loop.start.samples),
                       static_cast<uint32_t>(loop.start.samples >> 32), static_cast<uint32_t>(loop.end.samples),
                       static_cast<uint32_t>(loop.end.samples >> 32));
}

} // namespace

// «META» 0x84 name | 0x85 | 0x86 [fade] | 0x87 [fade] | 0x8A..0x8C value [fade] | 0x8D..0x8F position text
void streamMeta(Exec& x, unsigned type, const uint8_t* p, unsigned n)
{
    StreamHost host{&x.in.cb, x.in.user};
    unsigned slot = x.t.streamSlot % kStreamSlots;
    StreamSlot& s = x.in.voiceLayer.streams.slots[slot];
    const char* text = reinterpret_cast<const char*>(p);
    switch (type) {
    case 0x84:
        if (n > 0) openStream(host, s, slot, PayloadName(p, n).text);
        break;
    case 0x85: closeStream(host, s, slot); break;
    case 0x86: playStream(host, s, slot, readBigEndian(p, n)); break;
    case 0x87: stopStream(host, s, slot, readBigEndian(p, n)); break;
    case 0x8A:
    case 0x8B:
    case 0x8C: {
        auto which = static_cast<StreamFader>(type - 0x8A);
        FaderRequest r = parseFaderPayload(which, p, n);
        setStreamFader(s, which, r.value, r.fade);
        break;
    }
    case 0x8D:
    case 0x8E: {
        StreamPosition at = parseStreamPosition(text, n);
        if (at.valid) sendPosition(x.in, slot, at, type == 0x8E);
        break;
    }
    case 0x8F: {
        StreamLoop loop = parseStreamLoop(text, n);
        if (loop.valid) sendLoop(x.in, slot, loop);
        break;
    }
    default: break;
    }
}

} // namespace zemplay
