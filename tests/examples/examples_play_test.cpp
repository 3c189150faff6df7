// Every score of the examples folder compiles, its image is accepted by the
// engine, and it plays to its end without an engine error and without a
// note left hanging.
#include "example_performance.h"
#include "feature_detectors.h"

#include <gtest/gtest.h>

#include <cctype>

namespace examples_test {
namespace {

constexpr uint32_t kTenMinutes = 10 * 60 * 1000;

class EveryExample : public testing::TestWithParam<std::string> {};

TEST_P(EveryExample, CompilesAndPlaysToItsEnd)
{
    const Compiled compiled = compileScore(examplePath(GetParam()));
    ASSERT_EQ(compiled.result, 0) << compiled.message;
    ASSERT_GE(compiled.image.size(), 32u);

    const Performance perf = perform(compiled.image, 2, kTenMinutes);
    ASSERT_EQ(perf.constError, 0) << "the engine refused the image";
    for (const EngineError& e : perf.errors)
        ADD_FAILURE() << "engine error " << e.code << " at image offset " << e.offset << ", " << e.ms << " ms";
    EXPECT_TRUE(perf.finished) << "still playing after " << perf.endMs << " ms";

    const std::vector<SoundedNote> notes = soundedNotes(perf);
    EXPECT_FALSE(notes.empty()) << "no note was played";
    for (const SoundedNote& n : notes)
        EXPECT_TRUE(n.released) << "key " << n.key << " of channel " << n.channel + 1 << " from " << n.on
                                << " ms was never released";
}

INSTANTIATE_TEST_SUITE_P(Scores, EveryExample, testing::ValuesIn(exampleScores()),
                         [](const testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param.substr(0, param.param.find('.'));
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

} // namespace
} // namespace examples_test
