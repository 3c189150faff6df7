// Operations 13 to 18: resending values on chosen ports and channels, and
// the busy flag that refuses calls from inside a callback.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zemtest;

namespace {

Words setupTrack()
{
    return cat({{zem::makeCtrl(7, 100), zem::makeProgram(12), zem::makeChanPressure(33), zem::makeBend(-100),
                 zem::makeKeyPressure(44, true), 60, zem::makePortChannel(1, 2), zem::makeCtrl(7, 90)},
                param(24, 1),
                wait(50),
                {zem::kEnd}});
}

struct ResendCase {
    const char* name;
    std::function<int(dp_player*)> call;
    int result;
    std::vector<std::string> sent;
};

TEST(EngineResend, OperationsSendCurrentValues)
{
    const ResendCase cases[] = {
        {"controller on two ports and two channels",
         [](dp_player* p) { return p->resend_controller(p, 0, 0x3, 0x5, 7); },
         0,
         {"ctrl 0 0 0 7 100", "ctrl 0 0 2 7 0", "ctrl 1 0 0 7 0", "ctrl 1 0 2 7 90"}},
        {"as another track",
         [](dp_player* p) { return p->resend_controller(p, 1, 0x1, 0x1, 7); },
         0,
         {"ctrl 0 1 0 7 100"}},
        {"program ignores the track filter",
         [](dp_player* p) { return p->resend_program(p, 0, 0x1, 0x1); },
         0,
         {"prog 0 0 0 12"}},
        {"channel pressure",
         [](dp_player* p) { return p->resend_channel_pressure(p, 0, 0x1, 0x1); },
         0,
         {"chanp 0 0 0 33"}},
        {"pitch bend", [](dp_player* p) { return p->resend_pitch_bend(p, 0, 0x1, 0x1); }, 0, {"bend 0 0 0 -100"}},
        {"key pressure",
         [](dp_player* p) { return p->resend_key_pressure(p, 0, 0x1, 0x1, 60); },
         0,
         {"keyp 0 0 0 60 44"}},
        {"ports beyond the count are skipped",
         [](dp_player* p) { return p->resend_pitch_bend(p, 0, 0xFFFC, 0x1); },
         0,
         {}},
        {"track beyond the table",
         [](dp_player* p) { return p->resend_controller(p, 2, 0x1, 0x1, 7); },
         DP_ILLEGAL_PARAMETER,
         {}},
        {"controller 128",
         [](dp_player* p) { return p->resend_controller(p, 0, 0x1, 0x1, 128); },
         DP_ILLEGAL_PARAMETER,
         {}},
        {"key -1", [](dp_player* p) { return p->resend_key_pressure(p, 0, 0x1, 0x1, -1); }, DP_ILLEGAL_PARAMETER, {}},
    };
    const std::initializer_list<const char*> kinds = {"ctrl", "prog", "chanp", "bend", "keyp"};
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{setupTrack(), cat({wait(50), {zem::kEnd}})}}, 2);
        s.units(20);
        size_t before = host.onlyUnstamped(kinds).size();
        EXPECT_EQ(c.call(s.player()), c.result) << c.name;
        std::vector<std::string> all = host.onlyUnstamped(kinds);
        EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<long>(before), all.end()), c.sent) << c.name;
    }
}

TEST(EngineResend, StatusStopsTheLoopAndIsReturned)
{
    RecordingHost host;
    Session s(host, ImagePlan{{setupTrack()}}, 2);
    s.units(20);
    host.answers["ctrl"][3] = 5; // the second resent controller
    EXPECT_EQ(s.player()->resend_controller(s.player(), 0, 0x3, 0x1, 7), 5);
    EXPECT_EQ(host.only({"ctrl"}).size(), 3u);
}

struct Reentry {
    dp_player* player = nullptr;
    std::vector<int> answers;
};

TEST(EngineResend, CallsFromInsideACallbackAreRefused)
{
    Reentry r;
    dp_options o{};
    o.note_on = [](void* u, int, int, int, int, int) {
        auto& self = *static_cast<Reentry*>(u);
        dp_player* p = self.player;
        self.answers = {p->reset(p),
                        p->close(p),
                        p->advance_units(p, 1, DP_NORMAL_SPEED),
                        p->advance_ticks(p, 1, DP_NORMAL_SPEED),
                        p->release_notes(p, 1, 1),
                        p->resend_controller(p, 0, 1, 1, 7),
                        p->resend_program(p, 0, 1, 1),
                        p->resend_pitch_bend(p, 0, 1, 1),
                        p->resend_channel_pressure(p, 0, 1, 1),
                        p->resend_key_pressure(p, 0, 1, 1, 1)};
        return 0;
    };
    std::vector<uint8_t> image = buildImage(ImagePlan{{cat({note(60, 4), {zem::kEnd}})}});
    r.player = dp_const(1, image.data(), image.size(), &o, sizeof o, &r, nullptr);
    ASSERT_NE(r.player, nullptr);
    r.player->advance_units(r.player, 5, DP_NORMAL_SPEED);
    EXPECT_EQ(r.answers, std::vector<int>(10, DP_REENTERED));
    EXPECT_EQ(r.player->close(r.player), 0);
}

} // namespace
