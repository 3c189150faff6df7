// The demo plays at least a minute of song time before its endless loop
// begins, and every track enters that loop together: a bar too many or too
// few in one part would show as a track that starts its loop apart.
#include "example_performance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace examples_test {
namespace {

constexpr uint32_t kTenMinutes = 10 * 60 * 1000;
constexpr uint32_t kOneMinute = 60 * 1000;
constexpr uint32_t kSameMomentMs = 2;

struct LoopSpan {
    uint32_t start;
    uint32_t pass;
};

// A loop that ends its first pass at t1 and its second at t2 began at
// t1 - (t2 - t1).
std::map<int, LoopSpan> endlessLoopsByTrack(const Performance& perf)
{
    std::map<int, uint32_t> firstEnd, secondEnd;
    for (const LoopPass& p : perf.loopPasses) {
        if (p.pass == 1) firstEnd.emplace(p.track, p.ms);
        if (p.pass == 2) secondEnd.emplace(p.track, p.ms);
    }
    std::map<int, LoopSpan> spans;
    for (const auto& [track, t1] : firstEnd) {
        const auto t2 = secondEnd.find(track);
        if (t2 == secondEnd.end() || t2->second - t1 > t1) continue;
        spans[track] = {2 * t1 - t2->second, t2->second - t1};
    }
    return spans;
}

TEST(Demo, PlaysAMinuteThenEveryTrackEntersTheEndlessLoopTogether)
{
    const Compiled compiled = compileScore(examplePath("demo.kvt"));
    ASSERT_EQ(compiled.result, 0) << compiled.message;
    const Performance perf = perform(compiled.image, 2, kTenMinutes);
    ASSERT_EQ(perf.constError, 0);
    ASSERT_TRUE(perf.errors.empty());

    const std::map<int, LoopSpan> spans = endlessLoopsByTrack(perf);
    ASSERT_GE(spans.size(), 5u) << "too few tracks end in an endless loop";
    const LoopSpan first = spans.begin()->second;
    for (const auto& [track, span] : spans) {
        EXPECT_NEAR(span.start, first.start, kSameMomentMs) << "track " << track << " enters its loop apart";
        EXPECT_NEAR(span.pass, first.pass, kSameMomentMs) << "track " << track << " loops with another length";
    }
    EXPECT_GE(first.start, kOneMinute) << "the endless loop begins at " << first.start << " ms";
    std::printf("demo: endless loop begins at %.1f s, one pass lasts %.1f s\n", first.start / 1000.0,
                first.pass / 1000.0);
}

} // namespace
} // namespace examples_test
