// Streams of a compressed WAVE file opened and closed many times: the
// decoder and its codec libraries are loaded once, so memory stays flat.
#include "audsink_fixture.h"
#include "wave_builder.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

using namespace audsink_test;

namespace {

constexpr const char* kQzwav = ZEM_BIN_DIR "/qzwav.so";

// IMA ADPCM, mono, 8 blocks of 505 frames (every nibble 0: a quiet ramp).
Bytes imaAdpcmWave()
{
    constexpr uint16_t kBlockAlign = 256;
    constexpr uint16_t kFramesPerBlock = 505;
    constexpr int kBlocks = 8;
    Bytes extra;
    putLe16(extra, kFramesPerBlock);
    Bytes fact;
    putLe32(fact, kBlocks * kFramesPerBlock);
    Bytes data(size_t{kBlocks} * kBlockAlign, 0);
    return riffFile({{"fmt ", formatBody(0x11, 1, 22050, kBlockAlign, 4, extra)}, {"fact", fact}, {"data", data}});
}

size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    size_t total = 0, resident = 0;
    statm >> total >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

TEST(StreamChurn, TenThousandOpensKeepMemoryFlat)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's quarantine holds freed memory resident";
#endif
    const zem_test::TempDir dir;
    const Bytes wave = imaAdpcmWave();
    dir.write("churn.wav", std::string(wave.begin(), wave.end()));
    const std::string file = dir.file("churn.wav");
    OfflineSink ds;
    ds8_stream* stream = ds->stream_create(ds.get(), 10);
    ASSERT_NE(stream, nullptr);
    const auto cycle = [&](int times) {
        for (int i = 0; i < times; ++i) {
            ASSERT_EQ(ds->stream_open(stream, file.c_str(), kQzwav, 20, 0, 0), DS8_OK);
            ds->stream_close(stream);
        }
    };
    cycle(100);
    const size_t early = residentBytes();
    cycle(9900);
    const size_t late = residentBytes();
    ds->stream_destroy(stream);
    EXPECT_LE(late, early + 5 * 1024 * 1024) << "after 100: " << early << " bytes, after 10000: " << late;
}

} // namespace
