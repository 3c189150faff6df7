// The host callback table: errors, what each display entry records,
// the sounding flag, texts into the pane, and endless loops that repeat.
#include "fake_midi.h"
#include "host_callbacks.h"
#include "pane_text.h"

#include <gtest/gtest.h>

namespace {

struct Host {
    frontend_test::FakeMidiDevices fake{{{"Synth"}}};
    frontend::MessageLog log;
    frontend::MidiPortSet ports{fake, [this](frontend::Message m) { log.add(std::move(m)); }};
    audsink_bridge::SoundBridge sound{{}};
    frontend::HostContext context{ports, sound, log};
    dp_options o = frontend::hostOptions();
};

TEST(HostCallbacks, DisplaysAndPane)
{
    Host h;
    void* user = &h.context;
    EXPECT_EQ(h.o.error(user, 8, 7), 0); // errors are shown, playback goes on
    EXPECT_EQ(h.o.unit_passed(user, 1), 0);
    EXPECT_EQ(h.context.elapsedMs, 0u) << "time counts from the first note";
    EXPECT_EQ(h.o.note_on(user, 9, 0, 0, 60, 100), 0); // an empty slot still starts the clock
    EXPECT_TRUE(h.context.sounding);
    h.o.unit_passed(user, 2);
    h.o.unit_passed(user, 3);
    EXPECT_EQ(h.context.elapsedMs, 2u);
    h.o.tempo_changed(user, 0, 2667);
    EXPECT_EQ(h.context.tempoPeriod, 2667u);
    const uint8_t key[] = {0xFE, 0};
    h.o.meta_event(user, 0, 0x58, key, 2); // time signature: not shown
    EXPECT_EQ(h.context.key, "");
    h.o.meta_event(user, 0, 0x59, key, 2);
    EXPECT_EQ(h.context.key, "Bb major");
    h.o.text(user, 0, "Verse\0ignored", 5);
    EXPECT_EQ(h.o.endless_loop_pass(user, 0, 1000), 0);
    EXPECT_EQ(frontend_test::paneLines(h.log.take()),
              (std::vector<std::string>{"00000008 : out of track data", "Verse"}));
}

TEST(HostCallbacks, SampleLoadsMarkTheTimeTheyTook)
{
    Host h;
    EXPECT_EQ(h.o.load_sample(&h.context, 0, "a.wav", 0, 0), 0u); // no instance: none
    EXPECT_TRUE(h.context.blocked);
    h.context.restart();
    EXPECT_FALSE(h.context.blocked);
    EXPECT_EQ(h.o.duplicate_sample(&h.context, 1), 0u);
    EXPECT_TRUE(h.context.blocked);
}

} // namespace
