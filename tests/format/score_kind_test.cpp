// A song file is told apart by its first bytes, never by its name.
#include "zem/score_kind.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ScoreKind, ToldByTheFirstBytes)
{
    using zem::ScoreKind;
    const struct {
        const char* name;
        std::string bytes;
        ScoreKind kind;
    } cases[] = {
        {"image", std::string("QORSZEM:0.47\0\0\0\0", 16), ScoreKind::Image},
        {"image of another version", "QORSZEM:0.45", ScoreKind::Image},
        {"magic alone", "QORSZEM:", ScoreKind::Image},
        {"magic cut short", "QORSZEM", ScoreKind::KvtText},
        {"magic in other letters", "qorszem:0.47", ScoreKind::KvtText},
        {"MIDI header", std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14), ScoreKind::StandardMidiFile},
        {"MIDI header alone", "MThd", ScoreKind::StandardMidiFile},
        {"MIDI header cut short", "MTh", ScoreKind::KvtText},
        {"track chunk first", "MTrk", ScoreKind::KvtText},
        {"text", "T200 c\n", ScoreKind::KvtText},
        {"text that names the magic later", " QORSZEM:", ScoreKind::KvtText},
        {"empty", "", ScoreKind::KvtText},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zem::scoreKindOf(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()), c.kind) << c.name;
}

} // namespace
