#include "stream_slots.h"

#include <algorithm>
#include <iterator>

namespace zemplay {

namespace {

constexpr int32_t kFull = 0x4000;

struct Range {
    int32_t lo, hi;
};
constexpr Range kRanges[] = {{0, kFull}, {-0x4000, 0x4000}, {-0x8000, 0x7FFF}}; // volume, pan, pitch
static_assert(std::size(kRanges) == static_cast<size_t>(StreamFader::Pitch) + 1);

Fader& faderOf(StreamSlot& s, StreamFader which)
{
    switch (which) {
    case StreamFader::Pan: return s.pan;
    case StreamFader::Pitch: return s.pitch;
    case StreamFader::Volume: break;
    }
    return s.volume;
}

void setAtOnce(Fader& f, int32_t value)
{
    f.start = f.target = f.current = value;
    f.elapsed = f.duration = 0;
}

void fadeTo(Fader& f, int32_t value, uint32_t units)
{
    if (units == 0) {
        setAtOnce(f, value);
        return;
    }
    f.start = f.current;
    f.target = value;
    f.elapsed = 0;
    f.duration = units;
}

// Returns true when the fade ended in this step.
bool stepFader(Fader& f, uint32_t units)
{
    if (f.duration == 0) return false;
    uint64_t t = uint64_t{f.elapsed} + units;
    if (t >= f.duration) {
        setAtOnce(f, f.target);
        return true;
    }
    f.elapsed = static_cast<uint32_t>(t);
    f.current = f.start + static_cast<int32_t>(int64_t{f.target - f.start} * f.elapsed / f.duration);
    return false;
}

int32_t heardVolume(const StreamSlot& s)
{
    return static_cast<int32_t>((int64_t{s.volume.current} * s.level.current) >> 14);
}

void offer(const StreamHost& host, int (*send)(void*, int, int), unsigned slot, int32_t value, int32_t& accepted)
{
    if (send && send(host.user, static_cast<int>(slot), value) == 0) accepted = value;
}

void sendVolume(const StreamHost& host, StreamSlot& s, unsigned slot)
{
    offer(host, host.cb->stream_volume, slot, heardVolume(s), s.volume.accepted);
}

void stopNow(const StreamHost& host, StreamSlot& s, unsigned slot)
{
    setAtOnce(s.level, 0);
    sendVolume(host, s, slot);
    s.playing = false;
    s.stopping = false;
    if (host.cb->stream_stop) host.cb->stream_stop(host.user, static_cast<int>(slot));
}

void initSlot(StreamSlot& s)
{
    s = StreamSlot{};
    setAtOnce(s.volume, kFull);
    setAtOnce(s.level, kFull);
    s.volume.accepted = s.level.accepted = kFull;
}

} // namespace

uint32_t readBigEndian(const uint8_t* bytes, unsigned count)
{
    uint32_t v = 0;
    for (unsigned i = 0; i < count && i < 4; ++i) v = (v << 8) | bytes[i];
    return v;
}

void initStreamSlots(StreamSlots& s)
{
    for (auto& slot : s.slots) initSlot(slot);
}

void openStream(const StreamHost& host, StreamSlot& s, unsigned slot, const char* name)
{
    if (s.opened) closeStream(host, s, slot);
    if (host.cb->stream_open) host.cb->stream_open(host.user, static_cast<int>(slot), name, s.openParam1, s.openParam2);
    s.openParam1 = s.openParam2 = 0;
    s.opened = true;
}

void closeStream(const StreamHost& host, StreamSlot& s, unsigned slot)
{
    if (!s.opened) return;
    if (s.playing) stopNow(host, s, slot);
    s.opened = false;
    if (host.cb->stream_close) host.cb->stream_close(host.user, static_cast<int>(slot));
}

void closeAllStreams(const StreamHost& host, StreamSlots& slots)
{
    for (unsigned i = 0; i < kStreamSlots; ++i) closeStream(host, slots.slots[i], i);
}

void playStream(const StreamHost& host, StreamSlot& s, unsigned slot, uint32_t fade)
{
    if (s.playing) return;
    s.stopping = false;
    setAtOnce(s.level, fade > 0 ? 0 : kFull);
    fadeTo(s.level, kFull, fade);
    sendVolume(host, s, slot);
    if (!host.cb->stream_play || host.cb->stream_play(host.user, static_cast<int>(slot)) == 0) s.playing = true;
}

void stopStream(const StreamHost& host, StreamSlot& s, unsigned slot, uint32_t fade)
{
    if (!s.playing) return;
    if (fade == 0) {
        stopNow(host, s, slot);
        return;
    }
    // Whatever level the fade-out starts from, reaching silence stops the
    // slot: a slot left playing at level 0 would refuse the next play.
    fadeTo(s.level, 0, fade);
    s.stopping = true;
}

void setStreamFader(StreamSlot& s, StreamFader which, int32_t value, uint32_t fade)
{
    const Range& r = kRanges[static_cast<unsigned>(which)];
    fadeTo(faderOf(s, which), std::clamp(value, r.lo, r.hi), fade);
}

void stepStreams(const StreamHost& host, StreamSlots& slots, uint32_t units)
{
    for (unsigned i = 0; i < kStreamSlots; ++i) {
        StreamSlot& s = slots.slots[i];
        if (!s.playing) continue;
        stepFader(s.volume, units);
        stepFader(s.pan, units);
        stepFader(s.pitch, units);
        if (stepFader(s.level, units) && s.stopping) {
            stopNow(host, s, i);
            continue;
        }
        if (heardVolume(s) != s.volume.accepted) sendVolume(host, s, i);
        if (s.pan.current != s.pan.accepted) offer(host, host.cb->stream_pan, i, s.pan.current, s.pan.accepted);
        if (s.pitch.current != s.pitch.accepted)
            offer(host, host.cb->stream_pitch, i, s.pitch.current, s.pitch.accepted);
    }
}

FaderRequest parseFaderPayload(StreamFader which, const uint8_t* bytes, unsigned count)
{
    FaderRequest r{which == StreamFader::Volume ? kFull : 0, 0};
    if (count == 1) {
        r.value = which == StreamFader::Volume ? bytes[0] << 7 : static_cast<int8_t>(bytes[0]) * 256;
    } else if (count >= 2) {
        auto word = static_cast<uint16_t>(readBigEndian(bytes, 2));
        r.value = which == StreamFader::Volume ? int32_t{word} : int32_t{static_cast<int16_t>(word)};
        r.fade = readBigEndian(bytes + 2, count - 2);
    }
    const Range& range = kRanges[static_cast<unsigned>(which)];
    r.value = std::clamp(r.value, range.lo, range.hi);
    return r;
}

} // namespace zemplay
