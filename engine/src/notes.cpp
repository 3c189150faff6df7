#include "notes.h"

#include "channel.h"
#include "core.h"
#include "linked_list.h"
#include "modulators.h"

namespace zemplay {

namespace {

void unlinkNote(Instance& in, Note& n)
{
    if (!n.listed) return;
    Track& owner = in.tracks[n.track];
    unlinkItem(owner.notes, n, &Note::prev, &Note::next, &owner.lastNote);
    n.listed = false;
    --owner.noteCount;
}

// Notes are kept in the order they started, so that notes ending in the same
// tick are released in that order too.
void linkNote(Instance& in, Track& t, Note& n)
{
    linkLast(t.notes, t.lastNote, n, &Note::prev, &Note::next);
    n.listed = true;
    n.track = static_cast<uint16_t>(trackIndex(in, t));
    ++t.noteCount;
}

int releaseVelocity(const Track& t) { return clampI64(int64_t{t.rvel} + t.rvelOffset + t.rvelMod.output, 1, 127); }

// A note whose time ran out: released with the release velocity; the last
// one of the track closes its gate and brings the note-off values.
void releaseExpired(Instance& in, Track& t, Note& n)
{
    unlinkNote(in, n);
    sendNoteOff(in, trackIndex(in, t), n.port, n.channel, n.key, releaseVelocity(t));
    t.noteActivity = true;
    if (t.noteCount == 0) applyNoteValues(in, t, n.key, false);
}

void releaseNow(Instance& in, Track& t, Note& n)
{
    unlinkNote(in, n);
    sendNoteOff(in, trackIndex(in, t), n.port, n.channel, n.key, 127);
    t.noteActivity = true;
}

int64_t gatedLength(const Track& t, int64_t d)
{
    int64_t ratio = clampI64(int64_t{t.ratioCur} + t.ratioMod.output, 0, 32767);
    int64_t denominator = t.gateDenominator ? t.gateDenominator : 1024;
    int64_t g = t.gateBase;
    d = g ? d + ratio * g / denominator - g : d * ratio / denominator;
    d += clamp16(int64_t{t.ofsCur} + t.ofsMod.output);
    return d < 1 ? 1 : d;
}

} // namespace

void startNote(Instance& in, Track& t, unsigned keyBits, uint32_t length, bool waitAfter)
{
    uint32_t d = length;
    if (waitAfter) addWait(in, t, d);
    t.lastLength = d;
    if (d) d = d < uint64_t{t.credit} + 1 ? 1 : d - t.credit;
    unsigned key = static_cast<unsigned>(clampI64(int64_t{keyBits} + t.transpose, 0, 127));
    if (!portExists(in, t.port)) return;
    applyNoteValues(in, t, key, true);
    Note& n = channelOf(in, t.port, t.channel).notes[key];
    unlinkNote(in, n);
    linkNote(in, t, n);
    int64_t gated = d ? gatedLength(t, d) : 0;
    n.remaining = static_cast<uint32_t>(gated > UINT32_MAX ? UINT32_MAX : gated);
    n.timed = d != 0;
    n.expired = false;
    n.holdA = t.holdA;
    n.holdB = false;
    int velocity = clampI64(int64_t{t.velocity} + t.velOffset + t.velMod.output, 1, 127);
    sendNoteOn(in, trackIndex(in, t), t.port, t.channel, key, velocity);
    t.noteActivity = true;
}

void advanceNotes(Instance& in, Track& t)
{
    for (Note* n = t.notes; n && !isHalted(in);) {
        Note* next = n->next;
        if (n->timed && !n->expired && --n->remaining == 0) {
            n->expired = true;
            if (!n->holdA && !n->holdB) releaseExpired(in, t, *n);
        }
        n = next;
    }
}

void releaseTrackNotes(Instance& in, Track& t)
{
    while (t.notes && !isHalted(in)) releaseNow(in, t, *t.notes);
}

void releaseMaskedNotes(Instance& in, unsigned portMask, unsigned channelMask)
{
    for (unsigned i = 0; i < in.trackCount && !isHalted(in); ++i) {
        Track& t = in.tracks[i];
        for (Note* n = t.notes; n && !isHalted(in);) {
            Note* next = n->next;
            if (((portMask >> n->port) & 1u) || ((channelMask >> n->channel) & 1u)) releaseNow(in, t, *n);
            n = next;
        }
    }
}

void setHold(Instance& in, Track& t, bool second, bool on)
{
    if (!second) t.holdA = on;
    for (Note* n = t.notes; n && !isHalted(in);) {
        Note* next = n->next;
        (second ? n->holdB : n->holdA) = on;
        if (!on && n->expired && !n->holdA && !n->holdB) releaseExpired(in, t, *n);
        n = next;
    }
}

} // namespace zemplay
