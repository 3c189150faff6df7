// Rendering to a WAVE file: byte for byte what qzdecode decodes for every
// layout the WAVE decoder reads, and the failures that leave no file.
#include "audsink_fixture.h"
#include "run_program.h"
#include "temp_dir.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

using namespace audsink_test;

namespace {

constexpr const char* kQzwav = ZEM_BIN_DIR "/qzwav.so";

Bytes noise(size_t count, uint32_t seed)
{
    Bytes b(count);
    for (auto& v : b) {
        seed = seed * 1103515245u + 12345u;
        v = uint8_t(seed >> 16);
    }
    return b;
}

Bytes readBytes(const std::string& path)
{
    const std::string s = zem_test::readFile(path);
    return Bytes(s.begin(), s.end());
}

// The 44-byte header written for a layout, spelled out field by field.
Bytes expectedHeader(uint16_t channels, uint32_t rate, uint16_t sampleBytes, uint32_t dataBytes)
{
    Bytes h{'R', 'I', 'F', 'F'};
    putLe32(h, dataBytes + 36);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLe32(h, 16);
    putLe16(h, 1);
    putLe16(h, channels);
    putLe32(h, rate);
    putLe32(h, rate * channels * sampleBytes);
    putLe16(h, uint16_t(channels * sampleBytes));
    putLe16(h, uint16_t(8 * sampleBytes));
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    putLe32(h, dataBytes);
    return h;
}

TEST(RenderWave, EqualsTheDecodersOutputForEveryLayout)
{
    struct Case {
        const char* name;
        uint16_t tag, channels, bits;
        size_t frames;
        uint16_t outChannels, outBytes;
    } cases[] = {
        {"pcm8_mono", 1, 1, 8, 1001, 1, 1},      {"pcm8_stereo", 1, 2, 8, 777, 2, 1},
        {"pcm16_mono", 1, 1, 16, 1200, 1, 2},    {"pcm16_stereo", 1, 2, 16, 5000, 2, 2},
        {"pcm24_stereo", 1, 2, 24, 900, 2, 2},   {"pcm32_mono", 1, 1, 32, 640, 1, 2},
        {"float32_stereo", 3, 2, 32, 500, 2, 2}, {"float64_mono", 3, 1, 64, 300, 1, 2},
        {"alaw_mono", 6, 1, 8, 800, 1, 2},       {"mulaw_stereo", 7, 2, 8, 800, 2, 2},
        {"pcm16_long", 1, 2, 16, 40000, 2, 2},
    };
    zem_test::TempDir dir;
    OfflineSink ds;
    for (const auto& c : cases) {
        const std::string in = dir.file(std::string(c.name) + ".wav");
        const std::string out = dir.file(std::string(c.name) + "_out.wav");
        Bytes data = noise(c.frames * c.channels * c.bits / 8, uint32_t(c.frames));
        if (c.tag == 3) // finite samples only: keep float exponents small
            for (size_t i = c.bits / 8 - 1; i < data.size(); i += c.bits / 8) data[i] &= 0x3F;
        // Compressed formats carry the extra-size field and a frame count.
        const auto block = uint16_t(c.channels * c.bits / 8);
        Bytes fact;
        putLe32(fact, uint32_t(c.frames));
        zem_test::writeBytes(in, c.tag <= 3
                                     ? simpleWave(c.tag, c.channels, 22050, c.bits, data)
                                     : riffFile({{"fmt ", formatBody(c.tag, c.channels, 22050, block, c.bits, Bytes{})},
                                                 {"fact", fact},
                                                 {"data", data}}));
        ASSERT_EQ(ds->render_wave(ds.get(), in.c_str(), kQzwav, 0, 0, 0, out.c_str(), nullptr, nullptr), 0) << c.name;
        const auto decoded = zem_test::runProgram("qzdecode", {in}, dir.path());
        ASSERT_EQ(decoded.status, 0) << c.name << ": " << decoded.err;
        const Bytes rendered = readBytes(out);
        const Bytes pcm(decoded.out.begin(), decoded.out.end());
        ASSERT_GE(rendered.size(), 44u) << c.name;
        EXPECT_EQ(Bytes(rendered.begin(), rendered.begin() + 44),
                  expectedHeader(c.outChannels, 22050, c.outBytes, uint32_t(pcm.size())))
            << c.name;
        EXPECT_TRUE(std::equal(rendered.begin() + 44, rendered.end(), pcm.begin(), pcm.end()))
            << c.name << ": " << rendered.size() - 44 << " bytes against " << pcm.size();
    }
}

struct Progress {
    std::vector<std::pair<uint32_t, uint32_t>> calls;
    uint32_t abortAt = UINT32_MAX;
};
Progress* progressSeen = nullptr;

int recordProgress(void*, uint32_t written, uint32_t total)
{
    progressSeen->calls.emplace_back(written, total);
    return written >= progressSeen->abortAt;
}

uint32_t twoSeconds(void*) { return 2000; }

TEST(RenderWave, FailsBeforeTouchingTheOutputAndFixesShortData)
{
    struct Case {
        const char* file;
        const char* decoder;
        ds8_length_fn length;
        uint32_t abortAt;
        int result;
        size_t dataBytes; // data size of a written file; SIZE_MAX: the old file stays
    } cases[] = {
        {"ch=2,bytes=2,rate=1000,frames=3000", "fake_full", nullptr, UINT32_MAX, 0, 12000},
        {"ch=2,bytes=2,rate=1000,frames=3000,chunk=400,gap=3", "fake_full", nullptr, UINT32_MAX, 0, 12000},
        {"ch=1,bytes=1,rate=1000,frames=3000,total=1001", "fake_full", nullptr, UINT32_MAX, 0, 1001},
        {"ch=1,bytes=1,rate=1000,frames=3000,total=1001", "fake_minimal", nullptr, UINT32_MAX, 0, 1001},
        {"ch=2,bytes=2,rate=1000,frames=0,total=100000", "fake_full", &twoSeconds, UINT32_MAX, 0, 8000},
        {"ch=2,bytes=2,rate=1000,frames=30000", "fake_full", nullptr, 65536, 1, 65536},
        {"ch=2,bytes=2,rate=1000,frames=0", "fake_full", nullptr, UINT32_MAX, 1, SIZE_MAX},
        {"ch=3,bytes=2,rate=1000,frames=300", "fake_full", nullptr, UINT32_MAX, 1, SIZE_MAX},
        {"ch=2,bytes=2,rate=1000,frames=300,fail=1", "fake_full", nullptr, UINT32_MAX, 1, SIZE_MAX},
        {"ch=2,bytes=2,rate=1000,frames=300", "fake_too_new", nullptr, UINT32_MAX, 1, SIZE_MAX},
        {"ch=2,bytes=2,rate=1000,frames=300", "no_such_decoder", nullptr, UINT32_MAX, 1, SIZE_MAX},
        {"ch=2,bytes=2,rate=100000,frames=1100000000", "fake_full", nullptr, UINT32_MAX, 1, SIZE_MAX},
    };
    zem_test::TempDir dir;
    OfflineSink ds;
    DecoderLog log;
    for (const auto& c : cases) {
        const std::string out = dir.file("out.wav");
        dir.write("out.wav", "an older file");
        Progress progress;
        progress.abortAt = c.abortAt;
        progressSeen = &progress;
        EXPECT_EQ(ds->render_wave(ds.get(), c.file, fakeDecoder(c.decoder).c_str(), 0, 0, 3, out.c_str(), c.length,
                                  &recordProgress),
                  c.result)
            << c.file << " " << c.decoder;
        const Bytes written = readBytes(out);
        if (c.dataBytes == SIZE_MAX) {
            EXPECT_EQ(zem_test::readFile(out), "an older file") << c.file;
            continue;
        }
        ASSERT_EQ(written.size(), 44 + c.dataBytes) << c.file;
        if (c.result != 0) continue;
        const auto f = std::string(c.file);
        const uint16_t channels = f.find("ch=1") != std::string::npos ? 1 : 2;
        const uint16_t bytes = f.find("bytes=1") != std::string::npos ? 1 : 2;
        EXPECT_EQ(Bytes(written.begin(), written.begin() + 44),
                  expectedHeader(channels, 1000, bytes, uint32_t(c.dataBytes)))
            << c.file;
        EXPECT_EQ(Bytes(written.begin() + 44, written.end()), patternBytes(0, c.dataBytes)) << c.file;
        ASSERT_FALSE(progress.calls.empty());
        EXPECT_EQ(progress.calls.back().first, c.dataBytes) << c.file;
    }
    progressSeen = nullptr;
    // Every successful open was closed, the mode reached the decoder.
    const auto calls = log.takeControl();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open 3 0 0") - std::count(calls.begin(), calls.end(), "close"), 1)
        << "only the refused open has no close";
}

} // namespace
