// Messages for the synthesizer's audio frames: held until their block, in
// the order given, untimed ones behind timed ones, none lost when full.
#include "timed_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LoggingSynth final : public platform::MidiSynth {
public:
    void shortMessage(int port, uint32_t packed) override
    {
        log.push_back(std::to_string(port) + ":" + std::to_string(packed));
    }
    void exclusive(int port, const uint8_t* bytes, size_t count) override
    {
        log.push_back(std::to_string(port) + ":x" + std::to_string(count) + "," + std::to_string(bytes[count - 1]));
    }
    void render(int16_t*, size_t) override {}
    bool hasActiveVoices() const override { return false; }
    std::vector<std::string> log;
};

platform::TimedMessage shortAt(uint64_t frame, uint32_t packed, int port = 0)
{
    platform::TimedMessage m;
    m.frame = frame;
    m.port = port;
    m.packed = packed;
    return m;
}

using Log = std::vector<std::string>;

TEST(TimedQueue, HoldsMessagesUntilTheirBlock)
{
    LoggingSynth synth;
    platform::TimedQueue queue(synth);
    queue.push(shortAt(0, 1), true); // nothing waits: at once
    EXPECT_EQ(synth.log, (Log{"0:1"}));
    queue.push(shortAt(100, 2, 3), false);
    queue.push(shortAt(0, 3), true); // behind the one that waits
    queue.push(shortAt(200, 4), false);
    queue.sendDue(100);
    EXPECT_EQ(synth.log, (Log{"0:1"}));
    queue.sendDue(101);
    EXPECT_EQ(synth.log, (Log{"0:1", "3:2", "0:3"}));
    platform::TimedMessage sysex = shortAt(150, 0);
    sysex.length = 3;
    sysex.bytes[2] = 0xF7;
    queue.push(sysex, false); // a time before a waiting one keeps its place
    queue.sendDue(190);
    EXPECT_EQ(synth.log, (Log{"0:1", "3:2", "0:3"}));
    queue.flush();
    EXPECT_EQ(synth.log, (Log{"0:1", "3:2", "0:3", "0:4", "0:x3,247"}));
}

TEST(TimedQueue, AFullQueueSendsItsOldestEarly)
{
    LoggingSynth synth;
    platform::TimedQueue queue(synth);
    const uint32_t total = 1030;
    for (uint32_t i = 0; i < total; ++i) queue.push(shortAt(1000 + i, i), false);
    ASSERT_EQ(synth.log.size(), total - 1024);
    EXPECT_EQ(synth.log.front(), "0:0");
    queue.flush();
    ASSERT_EQ(synth.log.size(), total);
    for (uint32_t i = 0; i < total; ++i) EXPECT_EQ(synth.log[i], "0:" + std::to_string(i));
}

} // namespace
