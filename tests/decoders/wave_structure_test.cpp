// Which files open, and what the chunk walk makes of unusual layouts.
#include "memory_host.h"
#include "qzwav_module.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

namespace {

const Bytes kSamples = {1, 2, 3, 4, 5, 6, 7, 8}; // two 16-bit stereo frames

Bytes fmt16Stereo() { return formatBody(1, 2, 44100, 4, 16); }

Bytes imaFormat()
{
    Bytes extra;
    putLe16(extra, 505); // samples per block
    return formatBody(0x11, 1, 8000, 256, 4, extra);
}

Bytes withPrefix(Bytes file, size_t prefix)
{
    file.insert(file.begin(), prefix, 0xEE);
    return file;
}

struct StructureCase {
    const char* name;
    Bytes file;
    bool opens;
    size_t decodedBytes; // when it opens
};

std::vector<StructureCase> structureCases()
{
    Bytes basic = riffFile({{"fmt ", fmt16Stereo()}, {"data", kSamples}});
    Bytes rifx = basic;
    rifx[3] = 'X';
    Bytes notWave = basic;
    notWave[8] = 'A';
    Bytes pcm8 = formatBody(1, 1, 8000, 1, 8);
    return {
        {"plain", basic, true, 8},
        {"header at 128", withPrefix(basic, 128), true, 8},
        {"header at 64", withPrefix(basic, 64), false, 0},
        {"no RIFF", rifx, false, 0},
        {"RIFF but not WAVE", notWave, false, 0},
        {"empty file", Bytes{}, false, 0},
        {"RIFF size larger than the file", riffFile({{"fmt ", fmt16Stereo()}, {"data", kSamples}}, 0x7FFFFFF0u), true,
         8},
        {"chunks after data",
         riffFile({{"fmt ", fmt16Stereo()}, {"data", kSamples}, {"LIST", Bytes(20, 'x')}, {"junk", Bytes(3, 1)}}), true,
         8},
        {"odd chunk with pad before fmt",
         riffFile({{"junk", Bytes(5, 9)}, {"fmt ", fmt16Stereo()}, {"odd ", Bytes(1, 9)}, {"data", kSamples}}), true,
         8},
        {"odd 8-bit data is padded", riffFile({{"fmt ", pcm8}, {"data", Bytes{0x80, 0x81, 0x82}}}), true, 3},
        {"fact after data", riffFile({{"fmt ", fmt16Stereo()}, {"data", kSamples}, {"fact", Bytes{2, 0, 0, 0}}}), true,
         8},
        {"data before fmt", riffFile({{"data", kSamples}, {"fmt ", fmt16Stereo()}}), false, 0},
        {"no data", riffFile({{"fmt ", fmt16Stereo()}}), false, 0},
        {"fmt shorter than 16 bytes", riffFile({{"fmt ", Bytes(14, 1)}, {"data", kSamples}}), false, 0},
        {"zero bits per sample", riffFile({{"fmt ", formatBody(1, 2, 44100, 4, 0)}, {"data", kSamples}}), false, 0},
        {"zero block align", riffFile({{"fmt ", formatBody(1, 2, 44100, 0, 16)}, {"data", kSamples}}), false, 0},
        {"zero channels", riffFile({{"fmt ", formatBody(1, 0, 44100, 4, 16)}, {"data", kSamples}}), false, 0},
        {"12-bit PCM", riffFile({{"fmt ", formatBody(1, 1, 44100, 2, 12)}, {"data", kSamples}}), false, 0},
        {"40-bit PCM", riffFile({{"fmt ", formatBody(1, 1, 44100, 5, 40)}, {"data", Bytes(10, 0)}}), false, 0},
        {"block align too small for stereo", riffFile({{"fmt ", formatBody(1, 2, 44100, 2, 16)}, {"data", kSamples}}),
         false, 0},
        {"block align beyond the decoding buffer",
         riffFile({{"fmt ", formatBody(1, 2, 44100, 40000, 16)}, {"data", Bytes(80000, 0)}}), false, 0},
        {"16-bit float", riffFile({{"fmt ", formatBody(3, 1, 44100, 2, 16)}, {"data", kSamples}}), false, 0},
        {"compressed without fact", riffFile({{"fmt ", imaFormat()}, {"data", Bytes(256, 0)}}), false, 0},
        {"compressed with short fact",
         riffFile({{"fmt ", imaFormat()}, {"fact", Bytes{1, 0}}, {"data", Bytes(256, 0)}}), false, 0},
        {"unknown compressed tag",
         riffFile({{"fmt ", formatBody(0x7A7A, 1, 8000, 4, 4)}, {"fact", Bytes{1, 0, 0, 0}}, {"data", Bytes(4, 0)}}),
         false, 0},
    };
}

TEST(WaveStructure, OpensOrRefusesAndDecodesTheDataChunk)
{
    const QzwavModule& m = QzwavModule::get();
    for (const auto& c : structureCases()) {
        SCOPED_TRACE(c.name);
        MemoryHost host;
        uint8_t* handle = openBytes(host, c.file);
        EXPECT_EQ(handle != nullptr, c.opens);
        if (handle) {
            EXPECT_EQ(decodeAll(host, handle).size(), c.decodedBytes);
            m.close(host.table(), handle);
        }
        EXPECT_EQ(host.liveBlocks(), 0u);
        EXPECT_EQ(host.openHandles(), 0u);
    }
}

TEST(WaveStructure, OnlyTheFirstPcmOfAnExistingFileOpens)
{
    const QzwavModule& m = QzwavModule::get();
    MemoryHost host;
    host.addFile("a.wav", riffFile({{"fmt ", fmt16Stereo()}, {"data", kSamples}}));
    EXPECT_EQ(m.open(host.table(), 0, "a.wav", 1, 0), nullptr);
    EXPECT_EQ(m.open(host.table(), 0, "missing.wav", 0, 0), nullptr);
    EXPECT_EQ(m.open(host.table(), 0, nullptr, 0, 0), nullptr);
    EXPECT_EQ(m.open(nullptr, 0, "a.wav", 0, 0), nullptr);
    uint8_t* handle = m.open(host.table(), 1, "a.wav", 0, 12345);
    ASSERT_NE(handle, nullptr);
    m.close(host.table(), handle);
    EXPECT_EQ(host.liveBlocks(), 0u);
}

// Cutting a file at any chunk boundary (or inside a header) must either
// refuse it or decode no more than the data that is there.
TEST(WaveStructure, TruncatedAtEveryBoundaryNeverDecodesMissingData)
{
    Bytes full =
        riffFile({{"fmt ", fmt16Stereo()}, {"fact", Bytes{2, 0, 0, 0}}, {"data", kSamples}, {"LIST", Bytes(12, 'i')}});
    const QzwavModule& m = QzwavModule::get();
    const size_t dataEnd = 12 + 8 + 16 + 8 + 4 + 8 + kSamples.size();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        MemoryHost host;
        Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        uint8_t* handle = openBytes(host, part);
        EXPECT_EQ(handle != nullptr, cut >= dataEnd);
        if (handle) {
            EXPECT_EQ(decodeAll(host, handle), kSamples);
            m.close(host.table(), handle);
        }
        EXPECT_EQ(host.liveBlocks(), 0u);
    }
}

TEST(WaveStructure, ReadFailureInsideTheDataEndsTheStream)
{
    const QzwavModule& m = QzwavModule::get();
    MemoryHost host;
    uint8_t* handle = openBytes(host, simpleWave(1, 1, 8000, 16, Bytes(1000, 0)));
    ASSERT_NE(handle, nullptr);
    host.failReads(true);
    uint8_t buffer[64];
    EXPECT_EQ(m.decode(host.table(), handle, buffer, sizeof buffer), 0u);
    EXPECT_NE(m.isEnd(host.table(), handle), 0);
    m.close(host.table(), handle);
}

TEST(WaveStructure, VersionAndCredit)
{
    const QzwavModule& m = QzwavModule::get();
    ASSERT_NE(m.version, nullptr);
    EXPECT_EQ(m.version(), 10240u);
    EXPECT_EQ(m.version() >> 24, 0u);
    EXPECT_LE(m.version() & 0xFFFFFFu, DW_HOST_MAX_VERSION);
    ASSERT_NE(m.credit, nullptr);
    EXPECT_EQ(std::string(m.credit()).rfind("RIFF Wave decoder for AUDSINK V0.47+3", 0), 0u);
}

TEST(WaveStructure, ExportsNoOtherOptionalEntries)
{
    const QzwavModule& m = QzwavModule::get();
    const struct {
        const char* name;
        const void* entry;
    } absent[] = {{DW_ENTRY_PCMCOUNT, reinterpret_cast<const void*>(m.pcmCount)},
                  {DW_ENTRY_PCMTEXTCOUNT, reinterpret_cast<const void*>(m.textCount)},
                  {DW_ENTRY_PCMTEXT, reinterpret_cast<const void*>(m.text)},
                  {DW_ENTRY_PCMTEXTLANG, reinterpret_cast<const void*>(m.textLanguage)},
                  {DW_ENTRY_PCMTEXTCSET " or " DW_ENTRY_PCMTEXTCS, reinterpret_cast<const void*>(m.textCharset)},
                  {DW_ENTRY_SWITCH, reinterpret_cast<const void*>(m.switchTo)}};
    for (const auto& a : absent) EXPECT_EQ(a.entry, nullptr) << a.name;
}

} // namespace
