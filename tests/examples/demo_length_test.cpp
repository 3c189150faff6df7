// The demo plays at least a minute of song time before its endless loop
// begins, and the loop repeats (the loop callback is asked more than once).
#include "example_performance.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace examples_test {
namespace {

constexpr uint32_t kTenMinutes = 10 * 60 * 1000;
constexpr uint32_t kOneMinute = 60 * 1000;

TEST(Demo, PlaysAMinuteBeforeItsEndlessLoop)
{
    const Compiled compiled = compileScore(examplePath("demo.kvt"));
    ASSERT_EQ(compiled.result, 0) << compiled.message;
    const Performance perf = perform(compiled.image, 2, kTenMinutes);
    ASSERT_EQ(perf.constError, 0);
    ASSERT_TRUE(perf.errors.empty());

    // A loop that ends its first pass at t1 and its second at t2 began at
    // t1 - (t2 - t1); the demo's earliest such start counts.
    uint32_t loopStart = UINT32_MAX;
    for (const LoopPass& first : perf.loopPasses) {
        if (first.pass != 1) continue;
        const auto second = std::find_if(perf.loopPasses.begin(), perf.loopPasses.end(), [&](const LoopPass& p) {
            return p.track == first.track && p.pass == 2;
        });
        ASSERT_NE(second, perf.loopPasses.end()) << "track " << first.track << " left its loop after one pass";
        ASSERT_LE(second->ms - first.ms, first.ms);
        loopStart = std::min(loopStart, 2 * first.ms - second->ms);
    }
    ASSERT_NE(loopStart, UINT32_MAX) << "the demo has no endless loop";
    EXPECT_GE(loopStart, kOneMinute) << "the endless loop begins at " << loopStart << " ms";
    std::printf("demo: endless loop begins at %.1f s, one pass lasts %.1f s\n", loopStart / 1000.0,
                (perf.loopPasses.front().ms - loopStart) / 1000.0);
}

} // namespace
} // namespace examples_test
