// Each example shows what it is written to show: the table names, for every
// score, the features that must be heard when the engine plays it.  The
// demo shows them all.
#include "example_performance.h"
#include "feature_detectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace examples_test {
namespace {

constexpr uint32_t kTenMinutes = 10 * 60 * 1000;

struct ExampleFeatures {
    const char* score;
    std::vector<const char*> features;
};

const std::vector<ExampleFeatures> kExamples = {
    {"scale.kvt", {"major scale", "several lengths", "octaves"}},
    {"chords.kvt", {"block chord", "strum", "velocity curve"}},
    {"slur_portamento.kvt", {"slur", "portamento", "bend range"}},
    {"controllers.kvt", {"controller slide", "vibrato"}},
    {"loops.kvt", {"endless loop"}},
    {"sysex_macros.kvt", {"GS reset", "Roland checksums"}},
    {"tempo.kvt", {"tempo ramp", "tempo curve"}},
    {"demo.kvt",
     {"several lengths", "octaves", "strum", "velocity curve", "slur", "portamento", "bend range", "controller slide",
      "vibrato", "endless loop", "GS reset", "Roland checksums", "tempo ramp", "drums", "ensemble",
      "title and notice"}},
};

void PrintTo(const ExampleFeatures& e, std::ostream* os) { *os << e.score; }

class ExampleShows : public testing::TestWithParam<ExampleFeatures> {};

TEST_P(ExampleShows, ItsFeatures)
{
    const Compiled compiled = compileScore(examplePath(GetParam().score));
    ASSERT_EQ(compiled.result, 0) << compiled.message;
    const Performance perf = perform(compiled.image, 2, kTenMinutes);
    ASSERT_EQ(perf.constError, 0);
    for (const char* name : GetParam().features) {
        const Feature* feature = findFeature(name);
        ASSERT_NE(feature, nullptr) << "no detector for \"" << name << "\"";
        EXPECT_TRUE(feature->detect(perf)) << "feature \"" << name << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(Scores, ExampleShows, testing::ValuesIn(kExamples),
                         [](const testing::TestParamInfo<ExampleFeatures>& param) {
                             std::string name = param.param.score;
                             return name.substr(0, name.find('.'));
                         });

TEST(ExampleFeatureTable, DescribesEveryScoreOfTheFolder)
{
    for (const std::string& score : exampleScores()) {
        const bool listed =
            std::any_of(kExamples.begin(), kExamples.end(), [&](const ExampleFeatures& e) { return score == e.score; });
        EXPECT_TRUE(listed) << score << " has no row in the feature table";
    }
}

// The loop example's keys, read off its score: counted loops, a nested
// loop, a break on the last pass, then two passes of the endless loop.
TEST(LoopsExample, PlaysItsRepeatsInOrder)
{
    std::vector<int> expected;
    auto repeat = [&](int times, std::initializer_list<int> keys) {
        for (int i = 0; i < times; ++i) expected.insert(expected.end(), keys);
    };
    repeat(3, {72, 76, 79, 76});
    repeat(2, {74, 77, 81, 77});
    for (int i = 0; i < 2; ++i) {
        repeat(4, {83, 86});
        repeat(1, {79});
    }
    repeat(2, {72, 74, 76, 77, 79});
    repeat(1, {72, 74, 76, 72});
    repeat(2, {76, 79, 84, 79});

    const Compiled compiled = compileScore(examplePath("loops.kvt"));
    ASSERT_EQ(compiled.result, 0) << compiled.message;
    std::vector<int> played;
    for (const SoundedNote& n : soundedNotes(perform(compiled.image, 2, kTenMinutes))) played.push_back(n.key);
    EXPECT_EQ(played, expected);
}

// The detectors themselves must be able to fail: the scale shows none of
// the features that only other examples have.
TEST(ExampleFeatureTable, DetectorsRejectWhatIsAbsent)
{
    const Compiled compiled = compileScore(examplePath("scale.kvt"));
    ASSERT_EQ(compiled.result, 0) << compiled.message;
    const Performance perf = perform(compiled.image, 2, kTenMinutes);
    for (const char* name : {"strum", "velocity curve", "slur", "portamento", "bend range", "controller slide",
                             "vibrato", "endless loop", "GS reset", "Roland checksums", "tempo ramp", "tempo curve",
                             "drums", "ensemble", "title and notice", "block chord"}) {
        const Feature* feature = findFeature(name);
        ASSERT_NE(feature, nullptr) << name;
        EXPECT_FALSE(feature->detect(perf)) << "\"" << name << "\" found in the plain scale";
    }
}

} // namespace
} // namespace examples_test
