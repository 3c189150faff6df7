// The fade-out volume rule shared by the MIDI file exporter and the WAVE
// renderer: scaling by the time left, and dropping unchanged re-sends.
#include "playback/volume_fade.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using host::FadeState;
using playback::VolumeFade;

TEST(VolumeFadeTest, VolumeFallsWithTheRemainingTime)
{
    struct Row {
        uint32_t remaining;
        uint32_t value;
    };
    const std::vector<Row> table = {{9000, 100}, {4500, 50}, {4499, 49}, {4410, 49}, {1, 0}, {0, 0}};
    for (const Row& r : table) EXPECT_EQ(playback::fadedVolume(100, {9000, r.remaining, true}), r.value) << r.remaining;
    EXPECT_EQ(playback::fadedVolume(127, {0, 0, false}), 127u);
    // A fade of over an hour must not wrap the product.
    EXPECT_EQ(playback::fadedVolume(127, {4000000000u, 4000000000u, false}), 127u);
    EXPECT_EQ(playback::fadedVolume(127, {4000000000u, 2000000000u, false}), 63u);
}

TEST(VolumeFadeTest, ResentVolumesAreSentOnlyWhenTheyChange)
{
    struct Step {
        int port;
        int channel;
        FadeState fade;
        std::optional<uint8_t> sent;
    };
    const std::vector<Step> steps = {
        {0, 0, {9000, 9000, false}, 100},         {1, 0, {9000, 9000, false}, 100},
        {0, 0, {9000, 4500, true}, 50},           {0, 0, {9000, 4499, true}, 49},
        {0, 0, {9000, 4410, true}, std::nullopt}, // still 49
        {0, 0, {9000, 4410, false}, 49},          // not a re-send: sent again
        {0, 3, {9000, 4410, true}, 49},           // another channel has its own last volume
        {1, 0, {9000, 9000, true}, std::nullopt}, // another port too: 100 was its last
        {1, 0, {9000, 4410, true}, 49},
    };
    VolumeFade fade;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(fade.next(s.port, s.channel, 100, s.fade), s.sent) << "step " << i;
    }
}

TEST(VolumeFadeTest, ForgettingSendsTheNextVolumeEvenWhenFading)
{
    VolumeFade fade;
    EXPECT_EQ(fade.next(0, 4, 80, {100, 100, false}), std::optional<uint8_t>(80));
    EXPECT_EQ(fade.next(0, 4, 80, {100, 100, true}), std::nullopt);
    fade.forget();
    EXPECT_EQ(fade.next(0, 4, 80, {100, 100, true}), std::optional<uint8_t>(80));
}

} // namespace
