#include "slides.h"

#include "channel.h"
#include "core.h"
#include "interpolation.h"
#include "linked_list.h"
#include "random.h"
#include "values.h"

namespace zemplay {

namespace {

Slide** channelSlot(Instance& in, const Slide& s)
{
    Channel& ch = channelOf(in, s.port, s.channel);
    switch (s.target) {
    case SlideTarget::Controller: return &ch.ctrlSlide[s.number];
    case SlideTarget::KeyPressure: return &ch.keypSlide[s.number];
    case SlideTarget::ChanPressure: return &ch.chanpSlide;
    case SlideTarget::Bend: return &ch.bendSlide;
    default: return &ch.glide;
    }
}

void unlink(Instance& in, Slide& s)
{
    if (!s.listed) return;
    unlinkItem(in.tracks[s.track].slides, s, &Slide::prev, &Slide::next);
    s.listed = false;
}

void link(Track& t, Slide& s)
{
    linkFirst(t.slides, s, &Slide::prev, &Slide::next);
    s.listed = true;
}

// A slide is registered with its channel while it runs; the glide record
// stays registered after it ends, because its value keeps adding to the bend.
void unregister(Instance& in, Slide& s)
{
    if (!portExists(in, s.port)) return;
    Slide** slot = channelSlot(in, s);
    if (*slot == &s) *slot = nullptr;
}

void finish(Instance& in, Slide& s)
{
    unlink(in, s);
    s.mode = 0;
    if (s.target != SlideTarget::Glide) unregister(in, s);
}

// Makes s the record in force for its target at the track's current port and
// channel, ending whatever ran there before.
void registerAt(Instance& in, Track& t, Slide& s)
{
    unregister(in, s);
    s.track = static_cast<uint16_t>(trackIndex(in, t));
    s.port = t.port;
    s.channel = t.channel;
    Slide** slot = channelSlot(in, s);
    if (*slot && *slot != &s) {
        Slide* old = *slot;
        unlink(in, *old);
        old->mode = 0;
    }
    *slot = &s;
}

void computeCurrent(Slide& s)
{
    if (s.elapsed >= s.duration) {
        s.current = s.goal;
        s.mode = 0;
        return;
    }
    bool curved = s.mode == 2 && s.middle != ((s.start + s.goal) >> 1);
    s.current = static_cast<int32_t>(interpolate(s.start, s.middle, curved, s.goal, s.elapsed, s.duration));
}

void apply(Instance& in, Slide& s)
{
    if (!portExists(in, s.port)) return;
    if (s.target == SlideTarget::Glide) {
        sendBend(in, s.track, s.port, s.channel, true);
        return;
    }
    ValueRef v = valueRef(channelOf(in, s.port, s.channel), s.target, s.number);
    *v.base = clampTo(s.current, v.lo, v.hi);
    sendValue(in, s.track, s.port, s.channel, s.target, s.number, true);
}

} // namespace

Slide& slideRecord(Track& t, SlideTarget kind, unsigned number)
{
    switch (kind) {
    case SlideTarget::Controller: return t.ctrlSlides[number & 0x7F];
    case SlideTarget::KeyPressure: return t.keypSlides[number & 0x7F];
    case SlideTarget::ChanPressure: return t.chanpSlide;
    case SlideTarget::Bend: return t.bendSlide;
    default: return t.glideSlide;
    }
}

void startSlide(Instance& in, Track& t, Slide& s, int32_t goal, bool curved, int32_t middle, uint32_t length)
{
    unlink(in, s);
    registerAt(in, t, s);
    s.start = s.current;
    s.goal = goal;
    s.middle = middle;
    s.mode = curved ? 2 : 1;
    s.elapsed = s.countdown = 0;
    s.duration = length > t.credit ? length - t.credit : 1;
    link(t, s);
}

void stepSlides(Instance& in, Track& t)
{
    for (Slide* s = t.slides; s && !isHalted(in);) {
        Slide* next = s->next;
        if (s->elapsed < s->duration) ++s->elapsed;
        if (s->countdown) {
            --s->countdown;
        } else {
            s->countdown = t.slideInterval + ((uint32_t{randomUnsigned()} * t.slideRandom) >> 16);
            computeCurrent(*s);
            apply(in, *s);
            if (s->mode == 0) finish(in, *s);
        }
        s = next;
    }
}

void settleSlide(Instance& in, Track& t, SlideTarget kind, unsigned number)
{
    Slide& s = slideRecord(t, kind, number);
    if (!s.listed || s.port != t.port || s.channel != t.channel) return;
    // A step while the update countdown runs only counts down: the slide
    // ends at the value it last sent.
    if (s.countdown == 0) {
        computeCurrent(s);
        apply(in, s);
    }
    finish(in, s);
}

// Cancels this track's own glide; a glide another track runs on the same
// channel is that track's to end (two voices may share a channel).
void resetGlide(Instance& in, Track& t)
{
    Slide& s = t.glideSlide;
    unlink(in, s);
    s.mode = 0;
    s.current = 0;
    unregister(in, s);
    if (!portExists(in, t.port)) return;
    sendBend(in, trackIndex(in, t), t.port, t.channel, false);
}

void setGlide(Instance& in, Track& t, int32_t value)
{
    if (!portExists(in, t.port)) return;
    Slide& s = t.glideSlide;
    unlink(in, s);
    s.mode = 0;
    s.current = value;
    registerAt(in, t, s);
    sendBend(in, trackIndex(in, t), t.port, t.channel, false);
}

} // namespace zemplay
