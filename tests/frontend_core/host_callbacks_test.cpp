// The player's MIDI sink: error lines, what each display event records, the
// sounding flag and texts into the pane.
#include "fake_midi.h"
#include "host_callbacks.h"
#include "pane_text.h"

#include <gtest/gtest.h>

namespace {

struct Host {
    frontend_test::FakeMidiDevices fake{{{"Synth"}}};
    frontend::MessageLog log;
    frontend::MidiPortSet ports{fake, [this](frontend::Message m) { log.add(std::move(m)); }};
    frontend::HostContext context{ports, log};
    frontend::HostMidi midi{context};
};

TEST(HostCallbacks, DisplaysAndPane)
{
    Host h;
    host::MidiSink& sink = h.midi;
    EXPECT_EQ(sink.error(8, 7), 0); // errors are shown, playback goes on
    EXPECT_EQ(sink.unitPassed(1), 0);
    EXPECT_EQ(h.context.elapsedMs, 0u) << "time counts from the first note";
    EXPECT_EQ(sink.noteOn(9, 0, 0, 60, 100), 0); // an empty slot still starts the clock
    EXPECT_TRUE(h.context.sounding);
    sink.unitPassed(2);
    sink.unitPassed(3);
    EXPECT_EQ(h.context.elapsedMs, 2u);
    sink.tempo(2667);
    EXPECT_EQ(h.context.tempoPeriod, 2667u);
    const uint8_t key[] = {0xFE, 0};
    sink.meta(0, 0x58, key, 2); // time signature: not shown
    EXPECT_EQ(h.context.key, "");
    sink.meta(0, 0x59, key, 2);
    EXPECT_EQ(h.context.key, "Bb major");
    sink.text(0, "Verse\0ignored", 5);
    EXPECT_EQ(sink.endlessLoopPass(0, 1000), 0);
    EXPECT_EQ(frontend_test::paneLines(h.log.take()),
              (std::vector<std::string>{"00000008 : out of track data", "Verse"}));
}

} // namespace
