// The linear note-length index against the plain walk ahead from every
// note-on, on generated tracks (some of them cut off mid-event).
#include "smf_bytes.h"

#include "mid2kvt/note_lengths.h"
#include "smf/smf_reader.h"

#include <gtest/gtest.h>

#include <random>

namespace mid2kvt_test {
namespace {

using smf::ByteCursor;
using smf::ReadError;
using smf::SmfEvent;

struct ScanResult {
    ReadError error;
    uint32_t ticks;
};

// Walks the chunk after a note-on, with its running status, until a note
// event of the same key; without one, to the end of the chunk.
ScanResult walkAhead(ByteCursor in, uint8_t runningStatus, uint8_t key)
{
    uint32_t ticks = 0;
    while (in.left() > 0) {
        SmfEvent e;
        if (ReadError err = smf::readEvent(in, runningStatus, e); err != ReadError::None) return {err, 0};
        ticks += e.delta;
        if (smf::isNoteEvent(e) && e.data1 == key) break;
    }
    return {ReadError::None, ticks};
}

Bytes randomTrack(std::mt19937& rng)
{
    std::uniform_int_distribution<int> pick(0, 99);
    std::uniform_int_distribution<int> key(58, 63);
    std::uniform_int_distribution<uint32_t> delta(0, 300);
    Bytes out;
    const int events = 1 + pick(rng) * 3;
    for (int i = 0; i < events; ++i) {
        out = out + vlq(pick(rng) < 5 ? 0x0FFFFFFF : delta(rng));
        const int kind = pick(rng);
        const uint8_t channel = uint8_t(pick(rng) % 3);
        if (kind < 35)
            out = out + Bytes{uint8_t(0x90 | channel), uint8_t(key(rng)), uint8_t(pick(rng) < 20 ? 0 : 100)};
        else if (kind < 55)
            out = out + Bytes{uint8_t(0x80 | channel), uint8_t(key(rng)), 0x40};
        else if (kind < 75)
            out = out + Bytes{uint8_t(key(rng)), 0x00}; // running status, when there is one
        else if (kind < 85)
            out = out + Bytes{uint8_t(0xB0 | channel), 0x07, 0x64};
        else if (kind < 92)
            out = out + Bytes{0xFF, 0x01, 0x02, 'h', 'i'};
        else
            out = out + Bytes{0xF0, 0x02, 0x01, 0xF7};
    }
    return out;
}

TEST(NoteLengthsTest, MatchesTheWalkAheadFromEveryNoteOn)
{
    std::mt19937 rng(20260);
    int notesChecked = 0;
    int errorsChecked = 0;
    for (int round = 0; round < 400; ++round) {
        Bytes track = randomTrack(rng);
        if (round % 3 == 0 && track.size() > 1)
            track.resize(std::uniform_int_distribution<size_t>(1, track.size() - 1)(rng));

        std::vector<SmfEvent> events;
        const ReadError tail = smf::readTrackEvents(track.data(), uint32_t(track.size()), events);
        mid2kvt::NoteLengths lengths;
        lengths.build(events, tail);

        ByteCursor in(track.data(), track.size());
        uint8_t runningStatus = 0;
        for (size_t i = 0; i < events.size(); ++i) {
            SmfEvent e;
            ASSERT_EQ(smf::readEvent(in, runningStatus, e), ReadError::None);
            if (!smf::isNoteOn(e)) continue;
            const ScanResult expected = walkAhead(in, runningStatus, e.data1);
            uint32_t ticks = 0;
            const ReadError error = lengths.lengthAt(i, ticks);
            ASSERT_EQ(error, expected.error) << "round " << round << " event " << i;
            if (error == ReadError::None)
                ASSERT_EQ(ticks, expected.ticks) << "round " << round << " event " << i;
            else
                ++errorsChecked;
            ++notesChecked;
        }
    }
    // The generator must exercise both outcomes for the comparison to mean much.
    EXPECT_GT(notesChecked, 2000);
    EXPECT_GT(errorsChecked, 50);
}

} // namespace
} // namespace mid2kvt_test
