// Key pressure is written in the compiler's order («z», note, value), so a
// file taken through mid2kvt, zemc and zem2mid keeps its key and channel
// pressures, and a key-pressure octave prefix carries over to later notes.
#include "run_program.h"
#include "smf_bytes.h"
#include "temp_dir.h"

#include "smf/smf_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace mid2kvt_test {
namespace {

namespace fs = std::filesystem;
using ChannelEvent = std::tuple<uint32_t, uint8_t, uint8_t, uint8_t>; // tick, status, data1, data2

// Every channel message of every track with its absolute tick.
std::vector<ChannelEvent> channelEvents(const Bytes& file)
{
    std::vector<ChannelEvent> out;
    smf::SmfHeader header{};
    EXPECT_EQ(smf::readHeader(file.data(), file.size(), header), smf::ReadError::None);
    smf::ByteCursor cursor(file.data() + header.chunksOffset, file.size() - header.chunksOffset);
    for (int t = 0; t < header.trackCount; ++t) {
        const uint8_t* chunk;
        uint32_t length;
        std::vector<smf::SmfEvent> events;
        EXPECT_EQ(smf::readTrackChunk(cursor, chunk, length), smf::ReadError::None);
        EXPECT_EQ(smf::readTrackEvents(chunk, length, events), smf::ReadError::None);
        uint32_t tick = 0;
        for (const smf::SmfEvent& e : events) {
            tick += e.delta;
            if (e.status < 0xF0) out.emplace_back(tick, e.status, e.data1, e.data2);
        }
    }
    return out;
}

TEST(PressureRoundTripTest, KeyAndChannelPressureComeBack)
{
    const zem_test::TempDir scratch;
    const fs::path dir = scratch.path();
    const Bytes song = mthd(0, 1, 96) +
                       mtrk({0x00, 0x92, 61, 100, 10,   0xA2, 61, 64, 10,   0xD2, 30, 10,   0xA2, 75,   5,   10,
                             0x92, 62,   90, 10,  0x82, 61,   0,  10, 0x82, 62,   0,  0x00, 0xFF, 0x2F, 0x00});
    {
        std::ofstream out(dir / "kp.mid", std::ios::binary);
        out.write(reinterpret_cast<const char*>(song.data()), std::streamsize(song.size()));
    }
    for (const char* tool : {"mid2kvt", "zemc", "zem2mid"}) {
        const zem_test::RunResult r = zem_test::runProgram(tool, {"kp"}, dir.string());
        ASSERT_EQ(r.status, 0) << tool << ": " << r.err;
    }
    // The export takes the letter case of the existing kp.mid, which moved
    // to its backup name first.
    const std::string exported = zem_test::readFile((dir / "kp.mid").string());

    // Note-offs come back as note-ons of velocity 0 (no off-velocity switch).
    const std::vector<ChannelEvent> expected = {
        {0, 0x92, 61, 100}, {10, 0xA2, 61, 64}, {20, 0xD2, 30, 0}, {30, 0xA2, 75, 5},
        {40, 0x92, 62, 90}, {50, 0x92, 61, 0},  {60, 0x92, 62, 0},
    };
    EXPECT_EQ(channelEvents(Bytes(exported.begin(), exported.end())), expected);
}

} // namespace
} // namespace mid2kvt_test
