#include "values.h"

#include "channel.h"
#include "core.h"
#include "modulators.h"
#include "slides.h"

namespace zemplay {

ValueRef valueRef(Channel& ch, SlideTarget kind, unsigned number)
{
    switch (kind) {
    case SlideTarget::Controller: return {&ch.ctrlBase[number], &ch.ctrlOffset[number], 0, 127, &ch.ctrlMod[number]};
    case SlideTarget::KeyPressure: return {&ch.keypBase[number], &ch.keypOffset[number], 0, 127, nullptr};
    case SlideTarget::ChanPressure: return {&ch.chanpBase, &ch.chanpOffset, 0, 127, nullptr};
    default: return {&ch.bendBase, &ch.bendOffset, -8192, 8191, &ch.bendMod};
    }
}

void sendValue(Instance& in, unsigned track, unsigned port, unsigned channel, SlideTarget kind, unsigned number,
               bool onlyIfChanged)
{
    switch (kind) {
    case SlideTarget::Controller: sendController(in, track, port, channel, number, onlyIfChanged); break;
    case SlideTarget::KeyPressure: sendKeyPressure(in, track, port, channel, number, onlyIfChanged); break;
    case SlideTarget::ChanPressure: sendChanPressure(in, track, port, channel, onlyIfChanged); break;
    default: sendBend(in, track, port, channel, onlyIfChanged); break;
    }
}

namespace {

// Every setter first settles a slide this track runs on the same target.
ValueRef prepare(Instance& in, Track& t, SlideTarget kind, unsigned number)
{
    settleSlide(in, t, kind, number);
    return valueRef(channelOf(in, t.port, t.channel), kind, number);
}

void send(Instance& in, Track& t, SlideTarget kind, unsigned number)
{
    sendValue(in, trackIndex(in, t), t.port, t.channel, kind, number, false);
}

} // namespace

void setValue(Instance& in, Track& t, SlideTarget kind, unsigned number, int32_t value)
{
    if (!portExists(in, t.port)) return;
    ValueRef v = prepare(in, t, kind, number);
    *v.base = clampTo(value, v.lo, v.hi);
    *v.offset = 0;
    if (v.modulator) stopModulatorGlide(*v.modulator);
    slideRecord(t, kind, number).current = *v.base;
    send(in, t, kind, number);
}

void addValue(Instance& in, Track& t, SlideTarget kind, unsigned number, int32_t delta)
{
    if (!portExists(in, t.port)) return;
    ValueRef v = prepare(in, t, kind, number);
    *v.offset = clamp16(int64_t{*v.offset} + delta);
    send(in, t, kind, number);
}

void commitValue(Instance& in, Track& t, SlideTarget kind, unsigned number)
{
    if (!portExists(in, t.port)) return;
    ValueRef v = prepare(in, t, kind, number);
    *v.base = clampI64(int64_t{*v.base} + *v.offset, v.lo, v.hi);
    *v.offset = 0;
    send(in, t, kind, number);
}

void clearValue(Instance& in, Track& t, SlideTarget kind, unsigned number)
{
    if (!portExists(in, t.port)) return;
    ValueRef v = prepare(in, t, kind, number);
    *v.offset = 0;
    send(in, t, kind, number);
}

} // namespace zemplay
