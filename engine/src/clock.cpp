#include "clock.h"

#include "commands.h"
#include "core.h"
#include "interpolation.h"
#include "modulators.h"
#include "notes.h"
#include "random.h"
#include "slides.h"
#include "voice_layer.h"

#include "zem/command_words.h"

#include <cstring>

namespace zemplay {

namespace {

// Delivered as meta type 1 when a song starts.
constexpr char kGeneratorNotice[] = "Played by zemplay, ZEM image format 0.47";

// Repetition: a command run again at a position its track has passed (a
// loop).  All tracks together may repeat kRepeatsPerUnit commands in one
// unit, so that an advance always returns; every loop nest a score plays in
// one tick stays below it.  A track that has repeated kRepeatsWithoutTime
// commands with no time passing makes no progress (an endless loop around
// waits of 0 ticks, counted loops nested to astronomic counts): it is held
// to kRepeatsPerTick per tick, leaving the rest to the other tracks, until a
// wait gives its allowance back.
//
// A fuzzing build scales every bound down alike, so that an input spends
// microseconds, not a second, where the bounds are reached.
#ifdef ZEM_FUZZING_BOUNDS
constexpr unsigned kBoundShift = 6;
#else
constexpr unsigned kBoundShift = 0;
#endif
constexpr uint32_t kRepeatsPerUnit = 1u << (18 - kBoundShift);
constexpr uint32_t kRepeatsWithoutTime = 1u << (20 - kBoundShift);
constexpr uint32_t kRepeatsPerTick = 1u << (12 - kBoundShift);
// Ticks and unit steps one advance may run in skip mode, where no unit is
// counted (a skipped passage under a period of minutes would otherwise
// hold the call for hours); the next advance goes on skipping.
constexpr uint32_t kSkippedTicksPerAdvance = 1u << (16 - kBoundShift);
constexpr uint32_t kSkippedUnitsPerAdvance = 1u << (20 - kBoundShift);

int deliverMeta(Instance& in, unsigned type, const uint8_t* payload, uint32_t length)
{
    if (!in.cb.meta_event) return 0;
    int answer = in.cb.meta_event(in.user, 0, static_cast<int>(type), payload, static_cast<int>(length));
    noteStatus(in, answer);
    return answer;
}

// The recorded texts, the generator notice, then one command of each track.
int startSong(Instance& in)
{
    const struct {
        unsigned type;
        uint32_t offset;
    } recorded[] = {
        {zem::kMetaExtension1, in.extension[0]},
        {zem::kMetaExtension2, in.extension[1]},
        {zem::kMetaNotice, zem::readU32(in.image + zem::kOffNotice)},
        {zem::kMetaTitle, zem::readU32(in.image + zem::kOffTitle)},
    };
    for (const auto& r : recorded) {
        if (r.offset == 0) continue;
        if (int answer = deliverMeta(in, r.type, in.image + r.offset, in.image[r.offset - 2])) return answer;
    }
    if (int answer = deliverMeta(in, zem::kMetaText, reinterpret_cast<const uint8_t*>(kGeneratorNotice),
                                 sizeof kGeneratorNotice - 1))
        return answer;
    for (unsigned i = 0; i < in.trackCount && !isHalted(in); ++i) executeCommand(in, i);
    in.tracksChanged = true;
    return 0;
}

void runTrackCommands(Instance& in, unsigned index)
{
    Track& t = in.tracks[index];
    uint32_t heldThisTick = 0;
    while (t.wait == 0 && !t.ended && !t.stopped && !isHalted(in)) {
        if (t.syncWaiting) {
            const auto& sync = in.cb.stream_sync;
            if (!sync || sync(in.user, t.streamSlot, t.syncValue) == 0) {
                t.resumePending = true;
                ++t.credit;
            }
            break;
        }
        if (t.pos < t.furthest) {
            if (in.unitBudget == 0) break;
            if (t.repeatsWithoutTime < kRepeatsWithoutTime) {
                ++t.repeatsWithoutTime;
            } else {
                if (heldThisTick == kRepeatsPerTick) break;
                ++heldThisTick;
            }
            --in.unitBudget;
        }
        executeCommand(in, index);
        if (t.pos > t.furthest) t.furthest = t.pos;
    }
    if (t.wait) t.repeatsWithoutTime = 0;
    if (t.running && t.wait) --t.wait;
}

uint32_t tempoSlideCountdown(const Instance& in)
{
    uint32_t c = in.tempoSlideInterval;
    if (in.tempoSlideRandom) c += (uint32_t{randomUnsigned()} * in.tempoSlideRandom) / 65536;
    return c;
}

void stepTempoSlide(Instance& in)
{
    TempoSlide& s = in.tempoSlide;
    ++s.sinceUpdate;
    if (s.countdown) {
        --s.countdown;
        return;
    }
    if (s.mode == 1 || s.mode == 2) {
        uint64_t elapsed = uint64_t{s.elapsed} + s.sinceUpdate;
        s.elapsed = static_cast<uint32_t>(elapsed > s.duration ? s.duration : elapsed);
        int64_t v = interpolate(s.start, s.middle, s.mode == 2, s.goal, s.elapsed, s.duration);
        in.tempoBase = static_cast<uint32_t>(clampI64(v, 0, 0xFFFFFF));
        s.countdown = tempoSlideCountdown(in);
    }
    s.sinceUpdate = 0;
}

void countBar(BarCounter& b)
{
    if (b.mode == 0) {
        if (b.tickInBar != UINT32_MAX) ++b.tickInBar;
        if (b.tickInBar >= b.barLength) {
            if (b.bar != 0xFFFF) ++b.bar;
            b.tickInBar -= b.barLength;
        }
    } else if (b.mode == 2) {
        if (b.tickInBar != UINT32_MAX) ++b.tickInBar;
    }
    if (b.barLength == 0 || b.beatsPerBar == 0) return;
    b.beat = static_cast<uint8_t>(uint64_t{b.beatsPerBar} * b.tickInBar / b.barLength);
    b.tickInBeat = static_cast<uint32_t>(b.tickInBar - uint64_t{b.beat} * b.barLength / b.beatsPerBar);
}

void runTick(Instance& in)
{
    in.skipAtTickStart = in.skip;
    in.tracksChanged = true;
    for (unsigned i = 0; i < in.trackCount && !isHalted(in); ++i) {
        Track& t = in.tracks[i];
        if (t.resumePending) {
            t.resumePending = false;
            t.stopped = false;
            t.syncWaiting = false;
            t.running = !t.ended;
        }
        if (!t.stopped) {
            advanceNotes(in, t);
            stepSlides(in, t);
        }
    }
    if (isHalted(in)) return;
    stepModulators(in, in.unitsSinceTick);
    in.unitsSinceTick = 0;
    // Note activity answers "did the gate change since the modulators last
    // looked"; it is consumed here.
    for (unsigned i = 0; i < in.trackCount; ++i) in.tracks[i].noteActivity = false;
    for (unsigned i = 0; i < in.trackCount && !isHalted(in); ++i) runTrackCommands(in, i);
    if (isHalted(in)) return;
    stepTempoSlide(in);
    updateTempo(in, false);
    if (isHalted(in)) return;
    if (in.skipAtTickStart == 0) {
        ++in.tickCounter;
        countBar(in.bar);
        if (in.cb.tick_passed) noteStatus(in, in.cb.tick_passed(in.user, in.tickCounter));
    } else if (in.skip == 0) {
        for (uint32_t k = 0; k < in.extraTicks && in.cb.tick_passed; ++k) {
            int answer = in.cb.tick_passed(in.user, in.tickCounter);
            if (answer != 0) {
                noteStatus(in, answer);
                break;
            }
        }
    }
}

// A stopped track waits for another track to resume it: it does not keep
// the song from finishing, nor, since it passes no loop while it waits, the
// loop count from rising (a track stopped for good would hold it forever).
// One whose resume is pending runs again at the next tick.
void updateSongState(Instance& in)
{
    bool finished = true;
    bool anyPlaying = false;
    uint32_t minimum = UINT32_MAX;
    for (unsigned i = 0; i < in.trackCount; ++i) {
        const Track& t = in.tracks[i];
        if (t.ended || (t.stopped && !t.resumePending)) continue;
        finished = false;
        anyPlaying = true;
        if (t.loopPasses < minimum) minimum = t.loopPasses;
    }
    in.finished = finished;
    if (anyPlaying) in.minLoopCount = minimum;
}

struct Progress {
    uint32_t units = 0, ticks = 0, skippedTicks = 0, skippedUnits = 0;
    bool isSkipBudgetSpent() const
    {
        return skippedTicks >= kSkippedTicksPerAdvance || skippedUnits >= kSkippedUnitsPerAdvance;
    }
};

void unitStep(Instance& in, uint32_t increment, Progress& progress)
{
    uint64_t sum = uint64_t{in.fraction} + increment;
    in.fraction = static_cast<uint32_t>(sum > UINT32_MAX ? UINT32_MAX : sum);
    while (in.fraction > 0xFFFF && !isHalted(in)) {
        in.fraction -= 0x10000;
        in.unitBudget = kRepeatsPerUnit;
        ++in.unitsSinceTick;
        in.phase += 256;
        while (in.phase >= in.tempoPeriod && !isHalted(in)) {
            in.phase -= in.tempoPeriod;
            runTick(in);
            if (in.skipAtTickStart)
                ++progress.skippedTicks;
            else
                ++progress.ticks;
        }
        if (isHalted(in)) break;
        // Track states change only in ticks and at the start.
        if (in.tracksChanged) {
            updateSongState(in);
            in.tracksChanged = false;
        }
        if (in.skipAtTickStart == 0) {
            ++in.unitCounter;
            ++progress.units;
            if (in.cb.unit_passed) noteStatus(in, in.cb.unit_passed(in.user, in.unitCounter));
        } else {
            ++progress.skippedUnits;
        }
        if (isHalted(in) || in.finished || progress.isSkipBudgetSpent()) break;
    }
}

} // namespace

int advance(Instance& in, uint32_t count, uint32_t increment, bool countTicks)
{
    if (in.busy) return DP_REENTERED;
    in.busy = true;
    int answer = 0;
    if (!in.started) {
        in.started = true;
        answer = startSong(in);
    }
    Progress progress;
    // With no increment no unit can ever pass; with a result code set no
    // command runs: either way the call returns at once.
    while (increment != 0 && !isHalted(in) && !in.finished && (countTicks ? progress.ticks : progress.units) < count &&
           !progress.isSkipBudgetSpent())
        unitStep(in, increment, progress);
    stepVoiceLayer(in, progress.units);
    in.busy = false;
    return answer;
}

void updateTempo(Instance& in, bool strict)
{
    int64_t raw = int64_t{in.tempoBase} + in.tempoOffset + in.tempoMod.output;
    if (strict && raw == 0) {
        raiseError(in, DP_TEMPO_ZERO);
        return;
    }
    uint32_t period = static_cast<uint32_t>(clampI64(raw, 1, 0xFFFFFF));
    in.tempoPeriod = period;
    if (period == in.lastTempo) return;
    in.lastTempo = period;
    if (in.cb.tempo_changed) noteStatus(in, in.cb.tempo_changed(in.user, 0, period));
}

void setTempo(Instance& in, unsigned track, uint32_t value)
{
    in.tempoBase = value;
    in.tempoOffset = 0;
    in.tempoSlide.mode = 0;
    in.tempoSlide.countdown = 0;
    in.tempoSlide.sinceUpdate = 0;
    stopModulatorGlide(in.tempoMod);
    if (track == 0) updateTempo(in, true);
}

void startTempoSlide(Instance& in, uint32_t goal, bool curved, uint32_t middle, uint32_t length)
{
    TempoSlide& s = in.tempoSlide;
    s.countdown = tempoSlideCountdown(in);
    s.start = in.tempoBase;
    s.goal = goal;
    s.middle = middle;
    s.elapsed = 0;
    s.duration = length;
    s.mode = curved ? 2 : 1;
    in.tempoBase = static_cast<uint32_t>(clampI64(int64_t{in.tempoBase} + in.tempoOffset, 1, 0xFFFFFF));
    in.tempoOffset = 0;
}

} // namespace zemplay
