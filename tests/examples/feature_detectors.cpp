#include "feature_detectors.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <set>

namespace examples_test {

namespace {

using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;

const std::array<uint8_t, 11> kGsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

std::vector<const Event*> eventsOf(const Performance& perf, EventKind kind)
{
    std::vector<const Event*> out;
    for (const Event& e : perf.events)
        if (e.kind == kind) out.push_back(&e);
    return out;
}

// The longest run of strictly rising or strictly falling values.
size_t longestMonotonicRun(const std::vector<int>& values)
{
    size_t best = values.empty() ? 0 : 1, up = 1, down = 1;
    for (size_t i = 1; i < values.size(); ++i) {
        up = values[i] > values[i - 1] ? up + 1 : 1;
        down = values[i] < values[i - 1] ? down + 1 : 1;
        best = std::max({best, up, down});
    }
    return best;
}

// The pitch bends sent on a note's channel while it sounded.
std::vector<const Event*> bendsDuring(const Performance& perf, const SoundedNote& note)
{
    std::vector<const Event*> out;
    for (const Event& e : perf.events)
        if (e.kind == EventKind::Bend && e.channel == note.channel && e.ms > note.on && e.ms < note.off)
            out.push_back(&e);
    return out;
}

// Note ons of one channel that start together within `windowMs` of each
// other and are all sounding when the last one starts.
std::vector<std::vector<SoundedNote>> chordsOf(const Performance& perf, uint32_t windowMs)
{
    std::map<int, std::vector<SoundedNote>> byChannel;
    for (const SoundedNote& n : soundedNotes(perf)) byChannel[n.channel].push_back(n);
    std::vector<std::vector<SoundedNote>> chords;
    for (auto& [channel, notes] : byChannel) {
        std::vector<SoundedNote> group;
        for (const SoundedNote& n : notes) {
            const bool joins =
                !group.empty() && n.on - group.front().on <= windowMs &&
                std::all_of(group.begin(), group.end(), [&](const SoundedNote& g) { return g.off > n.on; });
            if (!joins) {
                if (group.size() >= 3) chords.push_back(group);
                group.clear();
            }
            group.push_back(n);
        }
        if (group.size() >= 3) chords.push_back(group);
    }
    return chords;
}

// A strum: at least four notes, each starting the same 2..60 ms after the
// one before (one millisecond of rounding allowed).
bool isStrum(const std::vector<SoundedNote>& chord)
{
    if (chord.size() < 4) return false;
    const uint32_t step = chord[1].on - chord[0].on;
    if (step < 2 || step > 60) return false;
    for (size_t i = 2; i < chord.size(); ++i) {
        const uint32_t d = chord[i].on - chord[i - 1].on;
        if (d + 1 < step || d > step + 1) return false;
    }
    return true;
}

AssertionResult majorScale(const Performance& perf)
{
    static const int kSteps[7] = {2, 2, 1, 2, 2, 2, 1};
    const std::vector<SoundedNote> notes = soundedNotes(perf);
    for (size_t start = 0; start + 8 <= notes.size(); ++start) {
        bool ok = true;
        for (size_t i = 0; i < 7 && ok; ++i)
            ok = notes[start + i + 1].channel == notes[start].channel &&
                 notes[start + i + 1].key - notes[start + i].key == kSteps[i];
        if (ok) return AssertionSuccess();
    }
    return AssertionFailure() << "no eight consecutive notes climb a major scale";
}

AssertionResult severalLengths(const Performance& perf)
{
    std::set<uint32_t> lengths;
    for (const SoundedNote& n : soundedNotes(perf)) lengths.insert((n.off - n.on + 5) / 10);
    if (lengths.size() >= 4) return AssertionSuccess();
    return AssertionFailure() << "only " << lengths.size() << " different note lengths";
}

AssertionResult octaves(const Performance& perf)
{
    int low = 127, high = 0;
    for (const SoundedNote& n : soundedNotes(perf)) {
        if (n.channel == 9) continue;
        low = std::min(low, n.key);
        high = std::max(high, n.key);
    }
    if (high - low >= 12) return AssertionSuccess();
    return AssertionFailure() << "the notes span " << high - low << " semitones, less than an octave";
}

AssertionResult blockChord(const Performance& perf)
{
    for (const auto& chord : chordsOf(perf, 0))
        if (chord.size() >= 3) return AssertionSuccess();
    return AssertionFailure() << "no three notes of one channel start together";
}

AssertionResult strum(const Performance& perf)
{
    for (const auto& chord : chordsOf(perf, 400))
        if (isStrum(chord)) return AssertionSuccess();
    return AssertionFailure() << "no chord of four or more notes with evenly spaced starts 2..60 ms apart";
}

AssertionResult velocityCurve(const Performance& perf)
{
    for (const auto& chord : chordsOf(perf, 400)) {
        if (!isStrum(chord)) continue;
        std::vector<int> velocities;
        for (const SoundedNote& n : chord) velocities.push_back(n.velocity);
        if (longestMonotonicRun(velocities) >= 4) return AssertionSuccess();
    }
    return AssertionFailure() << "no strum whose velocities rise or fall over four notes";
}

AssertionResult slur(const Performance& perf)
{
    // Steps, not a glide or a vibrato: the bend jumps at once, twice within
    // one sounding note.
    for (const SoundedNote& note : soundedNotes(perf)) {
        const auto bends = bendsDuring(perf, note);
        int jumps = 0;
        for (size_t i = 1; i < bends.size(); ++i)
            if (std::abs(bends[i]->value - bends[i - 1]->value) >= 300) ++jumps;
        if (jumps >= 2) return AssertionSuccess();
    }
    return AssertionFailure() << "no note is bent in two sudden steps";
}

AssertionResult portamento(const Performance& perf)
{
    for (const SoundedNote& note : soundedNotes(perf)) {
        std::vector<int> values;
        for (const Event* e : bendsDuring(perf, note)) values.push_back(e->value);
        const size_t run = longestMonotonicRun(values);
        if (run >= 16 && std::abs(values.back() - values.front()) >= 600) return AssertionSuccess();
    }
    return AssertionFailure() << "no note glides through sixteen rising or falling bends";
}

AssertionResult bendRange(const Performance& perf)
{
    // Registered parameter 0 (pitch bend sensitivity) chosen, then data entry.
    std::map<int, std::vector<std::pair<int, int>>> byChannel;
    for (const Event* e : eventsOf(perf, EventKind::Control)) byChannel[e->channel].push_back({e->number, e->value});
    for (const auto& [channel, controls] : byChannel) {
        for (size_t i = 0; i + 2 < controls.size(); ++i) {
            if (controls[i] == std::pair{101, 0} && controls[i + 1] == std::pair{100, 0} &&
                controls[i + 2].first == 6 && controls[i + 2].second >= 2)
                return AssertionSuccess();
        }
    }
    return AssertionFailure() << "no channel sets its pitch bend range (101 0, 100 0, 6 n)";
}

AssertionResult controllerSlide(const Performance& perf)
{
    std::map<std::pair<int, int>, std::vector<int>> series;
    for (const Event* e : eventsOf(perf, EventKind::Control)) series[{e->channel, e->number}].push_back(e->value);
    for (const auto& [key, values] : series)
        if (longestMonotonicRun(values) >= 10) return AssertionSuccess();
    return AssertionFailure() << "no controller moves through ten rising or falling values";
}

AssertionResult vibrato(const Performance& perf)
{
    for (const SoundedNote& note : soundedNotes(perf)) {
        const auto bends = bendsDuring(perf, note);
        if (bends.size() < 12) continue;
        // Swings around the bend the note started with.
        int centre = 0;
        for (const Event& e : perf.events)
            if (e.kind == EventKind::Bend && e.channel == note.channel && e.ms <= note.on) centre = e.value;
        int turns = 0, lastSign = 0;
        for (const Event* e : bends) {
            const int sign = e->value > centre ? 1 : e->value < centre ? -1 : 0;
            if (sign != 0 && lastSign != 0 && sign != lastSign) ++turns;
            if (sign != 0) lastSign = sign;
        }
        if (turns >= 6) return AssertionSuccess();
    }
    return AssertionFailure() << "no note's pitch swings to and fro six times";
}

AssertionResult endlessLoop(const Performance& perf)
{
    if (!perf.loopPasses.empty()) return AssertionSuccess();
    return AssertionFailure() << "no endless loop pass was reported";
}

AssertionResult gsReset(const Performance& perf)
{
    for (const Event* e : eventsOf(perf, EventKind::Exclusive))
        if (std::equal(e->bytes.begin(), e->bytes.end(), kGsReset.begin(), kGsReset.end())) return AssertionSuccess();
    return AssertionFailure() << "the GS reset F0 41 10 42 12 40 00 7F 00 41 F7 was not sent";
}

// The data-set messages the examples send, with their checksums worked out
// by hand: reverb macro (address 40 01 30) = 4 gives 128 - (0x40 + 0x01 +
// 0x30 + 0x04) % 128 = 0x0B, and = 3 gives 0x0C.
const std::vector<std::vector<uint8_t>> kRolandDataSets = {
    {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x04, 0x0B, 0xF7},
    {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x03, 0x0C, 0xF7},
};

AssertionResult rolandChecksums(const Performance& perf)
{
    int checked = 0;
    for (const Event* e : eventsOf(perf, EventKind::Exclusive)) {
        const auto& b = e->bytes;
        if (b.size() < 8 || b[1] != 0x41 || b[4] != 0x12) continue;
        if (std::equal(b.begin(), b.end(), kGsReset.begin(), kGsReset.end())) continue;
        if (std::find(kRolandDataSets.begin(), kRolandDataSets.end(), b) == kRolandDataSets.end())
            return AssertionFailure() << "a data-set message is not one of the hand-checked ones";
        ++checked;
    }
    if (checked >= 1) return AssertionSuccess();
    return AssertionFailure() << "no data-set message besides the reset";
}

std::vector<int> tempoPeriods(const Performance& perf)
{
    std::vector<int> periods;
    for (const Event* e : eventsOf(perf, EventKind::Tempo)) periods.push_back(e->value);
    return periods;
}

AssertionResult tempoRamp(const Performance& perf)
{
    const size_t run = longestMonotonicRun(tempoPeriods(perf));
    if (run >= 10) return AssertionSuccess();
    return AssertionFailure() << "the longest steady tempo change has " << run << " steps";
}

AssertionResult tempoCurve(const Performance& perf)
{
    // A curve turns: a run of changes in one direction, then straight on in
    // the other, without a jump between them.
    const std::vector<int> p = tempoPeriods(perf);
    for (size_t i = 5; i + 5 < p.size(); ++i) {
        const bool valley = p[i] <= p[i - 1] && p[i] <= p[i + 1] && p[i - 5] > p[i] && p[i + 5] > p[i];
        const bool peak = p[i] >= p[i - 1] && p[i] >= p[i + 1] && p[i - 5] < p[i] && p[i + 5] < p[i];
        if ((valley || peak) && longestMonotonicRun({p.begin() + long(i) - 5, p.begin() + long(i) + 1}) == 6)
            return AssertionSuccess();
    }
    return AssertionFailure() << "no tempo change turns smoothly from faster to slower or back";
}

AssertionResult drums(const Performance& perf)
{
    std::set<int> keys;
    for (const SoundedNote& n : soundedNotes(perf))
        if (n.channel == 9) keys.insert(n.key);
    if (keys.size() >= 3) return AssertionSuccess();
    return AssertionFailure() << "only " << keys.size() << " different drums on channel 10";
}

AssertionResult ensemble(const Performance& perf)
{
    std::set<int> channels;
    for (const SoundedNote& n : soundedNotes(perf)) channels.insert(n.channel);
    if (perf.trackCount >= 5 && channels.size() >= 5) return AssertionSuccess();
    return AssertionFailure() << perf.trackCount << " tracks and " << channels.size() << " sounding channels";
}

AssertionResult titleAndNotice(const Performance& perf)
{
    if (!perf.title.empty() && !perf.notice.empty()) return AssertionSuccess();
    return AssertionFailure() << "title \"" << perf.title << "\", notice \"" << perf.notice << "\"";
}

constexpr Feature kFeatures[] = {
    {"major scale", majorScale},
    {"several lengths", severalLengths},
    {"octaves", octaves},
    {"block chord", blockChord},
    {"strum", strum},
    {"velocity curve", velocityCurve},
    {"slur", slur},
    {"portamento", portamento},
    {"bend range", bendRange},
    {"controller slide", controllerSlide},
    {"vibrato", vibrato},
    {"endless loop", endlessLoop},
    {"GS reset", gsReset},
    {"Roland checksums", rolandChecksums},
    {"tempo ramp", tempoRamp},
    {"tempo curve", tempoCurve},
    {"drums", drums},
    {"ensemble", ensemble},
    {"title and notice", titleAndNotice},
};

} // namespace

const Feature* findFeature(const std::string& name)
{
    for (const Feature& f : kFeatures)
        if (name == f.name) return &f;
    return nullptr;
}

std::vector<SoundedNote> soundedNotes(const Performance& perf)
{
    std::vector<SoundedNote> notes;
    std::map<std::pair<int, int>, size_t> sounding; // channel, key -> index
    for (const Event& e : perf.events) {
        if (e.kind != EventKind::NoteOn && e.kind != EventKind::NoteOff) continue;
        const std::pair<int, int> key{e.channel, e.number};
        if (auto it = sounding.find(key); it != sounding.end()) {
            notes[it->second].off = e.ms;
            notes[it->second].released = true;
            sounding.erase(it);
        }
        if (e.kind == EventKind::NoteOn) {
            sounding[key] = notes.size();
            notes.push_back({e.ms, perf.endMs, e.channel, e.number, e.value, false});
        }
    }
    return notes;
}

} // namespace examples_test
