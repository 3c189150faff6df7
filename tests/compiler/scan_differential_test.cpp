// The one-walk track scan finds the same tracks and raises the same first
// error on the same line as one walk per track number.
#include "core_run.h"
#include "hand_written_texts.h"
#include "kvt_text_generator.h"
#include "per_number_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt_test {
namespace {

struct ScanOutcome {
    kvt::TrackSet found;
    util::ErrCode error = 0;
    uint32_t line = 0;
};

template <typename Scan> ScanOutcome outcomeOf(const std::string& text, uint32_t flags, Scan scan)
{
    ScanOutcome out;
    const Raised raised = runCore(text, flags, [&](kvt::CompileContext& ctx) { scan(ctx, out.found); });
    out.error = raised.error;
    out.line = raised.line;
    return out;
}

ScanOutcome oneWalk(const std::string& text, uint32_t flags = 0)
{
    return outcomeOf(text, flags, [](kvt::CompileContext& ctx, kvt::TrackSet& found) {
        kvt::scanTracks(ctx, kvt::TrackSet().set(), found);
    });
}

ScanOutcome perNumber(const std::string& text, uint32_t flags = 0)
{
    return outcomeOf(text, flags, scanPerTrackNumber);
}

void expectSameOutcome(const std::string& text, uint32_t flags, const std::string& label)
{
    ScanOutcome a = oneWalk(text, flags), b = perNumber(text, flags);
    EXPECT_EQ(a.error, b.error) << label;
    EXPECT_EQ(a.line, b.line) << label;
    if (a.error == 0) {
        EXPECT_EQ(a.found, b.found) << label;
    }
}

TEST(ScanDifferential, HandWrittenTexts)
{
    for (const MaskedText& t : kHandWrittenTexts) expectSameOutcome(t.text, t.flags, labelOf(t));
}

TEST(ScanDifferential, AllTracksPresentHidesALaterError)
{
    ScanOutcome a = oneWalk("#0-255 c ]");
    EXPECT_EQ(a.error, 0u);
    EXPECT_EQ(a.found.count(), 256u);
    ScanOutcome b = oneWalk("#0-254 c ]");
    EXPECT_EQ(b.error, 0x40016u);
}

TEST(ScanDifferential, GeneratedTextsWithLateErrors)
{
    int withError = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        GeneratorOptions o;
        o.seed = seed;
        o.targetBytes = 300 + seed % 7 * 200;
        o.trackNumbers = seed % 3 == 0 ? 256 : 24;
        o.varyPresence = true;
        o.withError = seed % 2 == 0;
        std::string text = generateKvtText(o);
        ScanOutcome reference = perNumber(text);
        if (reference.error != 0) ++withError;
        expectSameOutcome(text, seed % 4, "seed " + std::to_string(seed));
    }
    // the generator's faults do reach the scan, so both paths are exercised
    EXPECT_GT(withError, 100);
}

} // namespace
} // namespace kvt_test
