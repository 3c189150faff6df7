// Tracks that stop, resume each other with catch-up credit, wait for the
// stream sync answer, and the song's end.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

TEST(EngineSync, TriggeredTrackCatchesUpTheTickItLost)
{
    RecordingHost host;
    ImagePlan plan{{cat({tempo(256), wait(5), {zem::kStop}, note(61, 10), note(62, 2), {zem::kEnd}}),
                    cat({wait(5), {zem::makeByteClass(zem::kTrigger, 0)}, wait(50), {zem::kEnd}})}};
    Session s(host, plan);
    s.units(40);
    // Stopped in tick 6, triggered in the same tick, resumed in tick 7 with
    // one tick of credit: the note and the wait after it are one tick shorter.
    EXPECT_EQ(host.byTick({"on", "off"}), (std::vector<std::string>{"6 on 0 0 0 61 127", "15 off 0 0 0 61 127",
                                                                    "15 on 0 0 0 62 127", "17 off 0 0 0 62 127"}));
}

struct TriggerCase {
    const char* name;
    Words trigger;
    std::vector<std::string> notes;
};

TEST(EngineSync, TriggerTargets)
{
    const TriggerCase cases[] = {
        {"one track", {zem::makeByteClass(zem::kTrigger, 1)}, {"on 0 1 0 61 127"}},
        {"index beyond the table is ignored", {zem::makeByteClass(zem::kTrigger, 9)}, {}},
        {"all but track 1",
         {zem::makeByteClass(zem::kTriggerAllBut, 1), 0x0001},
         {"on 0 0 0 60 127", "on 0 2 0 62 127"}},
        {"all but tracks 0 and 2", {zem::makeByteClass(zem::kTriggerAllBut, 2), 0x0200}, {"on 0 1 0 61 127"}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        ImagePlan plan{{cat({{zem::kStop}, note(60, 2), wait(50), {zem::kEnd}}),
                        cat({{zem::kStop}, note(61, 2), wait(50), {zem::kEnd}}),
                        cat({{zem::kStop}, note(62, 2), wait(50), {zem::kEnd}}),
                        cat({wait(2), c.trigger, wait(50), {zem::kEnd}})}};
        Session s(host, plan);
        s.units(100);
        EXPECT_EQ(host.onlyUnstamped({"on"}), c.notes) << c.name;
    }
}

TEST(EngineSync, SongFinishesWhenEveryTrackEndedOrStopped)
{
    struct EndCase {
        const char* name;
        std::vector<Words> tracks;
        int finished;
    };
    const EndCase cases[] = {
        {"all ended", {{zem::kEnd}, cat({wait(3), {zem::kEnd}})}, 1},
        {"one stopped", {{zem::kStop}, cat({wait(3), {zem::kEnd}})}, 1},
        {"one still waiting", {{zem::kStop}, cat({wait(3000), {zem::kEnd}})}, 0},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        ImagePlan plan;
        plan.tracks = c.tracks;
        Session s(host, plan);
        s.units(100);
        EXPECT_EQ(s.player()->finished(s.player()), c.finished) << c.name;
        EXPECT_EQ(host.unit < 100, c.finished == 1) << c.name << ": a finished song stops advancing";
    }
}

TEST(EngineSync, StreamSyncHoldsTheTrackUntilAnswered)
{
    struct SyncCase {
        const char* name;
        bool hasCallback;
        int answer;
        size_t notes;
    };
    const SyncCase cases[] = {
        {"condition reached", true, 0, 1}, {"never reached", true, 1, 0}, {"no callback", false, 0, 1}};
    for (const auto& c : cases) {
        RecordingHost host;
        host.hasSyncCallback = c.hasCallback;
        host.syncAnswer = c.answer;
        Session s(host,
                  ImagePlan{{cat({tempo(256), param(130, 3), meta(0x89, {5}), note(60, 4), wait(10), {zem::kEnd}})}});
        s.units(20);
        EXPECT_EQ(host.only({"on"}).size(), c.notes) << c.name;
        if (c.hasCallback) {
            ASSERT_FALSE(host.only({"sync"}).empty()) << c.name;
            EXPECT_EQ(host.onlyUnstamped({"sync"})[0], "sync 3 5") << c.name;
        }
        if (c.answer != 0) {
            EXPECT_EQ(host.only({"sync"}).size(), 20u) << c.name << ": asked once per tick";
        }
    }
}

} // namespace
