// Compressed WAVE files decode exactly as the reference tools decode them.
// Fixtures are made at run time with sox and ffmpeg from one synthetic
// signal, so every comparison covers a real encoder's output.
#include "memory_host.h"
#include "qzwav_module.h"
#include "temp_dir.h"
#include "wave_builder.h"

#include "platform/codec_backend.h"
#include "platform/dynload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// sox dithers by default with a fresh seed on every run; repeatable mode keeps
// the fixtures, and so the measured differences, the same from run to run.
const std::string kSox = "sox -R ";

std::string soxToRaw(const fs::path& in, const fs::path& out)
{
    return kSox + "'" + in.string() + "' -t raw -e signed -b 16 '" + out.string() + "'";
}

std::string ffmpegToRaw(const fs::path& in, const fs::path& out)
{
    return "ffmpeg -nostdin -v error -y -i '" + in.string() + "' -f s16le -acodec pcm_s16le '" + out.string() + "'";
}

class CodecCompare : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = std::make_unique<zem_test::TempDir>();
        folder = dir->path();
        const std::string mono = (folder / "mono.wav").string();
        const std::string stereo = (folder / "stereo.wav").string();
        haveSources = run(kSox + "-n -r 8000 -c 1 -b 16 '" + mono + "' synth 3 sine 440 sine 1230 gain -3") &&
                      run(kSox + "-n -r 22050 -c 2 -b 16 '" + stereo + "' synth 3 sine 300-2000 sine 1230 gain -2");
    }
    static void TearDownTestSuite() { dir.reset(); }

    // Encodes the named source into file with the command's arguments.
    static fs::path encodeWithSox(const std::string& source, const std::string& args, const std::string& file)
    {
        fs::path out = folder / file;
        EXPECT_TRUE(run(kSox + "'" + (folder / source).string() + "' " + args + " '" + out.string() + "'")) << file;
        return out;
    }
    static fs::path encodeWithFfmpeg(const std::string& source, const std::string& args, const std::string& file)
    {
        fs::path out = folder / file;
        EXPECT_TRUE(run("ffmpeg -nostdin -v error -y -i '" + (folder / source).string() + "' " + args + " '" +
                        out.string() + "'"))
            << file;
        return out;
    }

    static Bytes decodeWithQzwav(const fs::path& file, uint32_t expectedTag)
    {
        Bytes bytes = zem_test::readBytes(file);
        EXPECT_GE(bytes.size(), 22u);
        if (bytes.size() >= 22) {
            EXPECT_EQ(dw_get_le16(&bytes[20]), expectedTag) << "fixture has an unexpected format tag";
        }
        MemoryHost host;
        uint8_t* handle = openBytes(host, bytes);
        EXPECT_NE(handle, nullptr) << file;
        if (!handle) return {};
        Bytes out = decodeAll(host, handle);
        QzwavModule::get().close(host.table(), handle);
        EXPECT_EQ(host.liveBlocks(), 0u);
        return out;
    }

    static Bytes reference(const std::string& command, const fs::path& rawFile)
    {
        EXPECT_TRUE(run(command)) << command;
        return zem_test::readBytes(rawFile);
    }

    static inline std::unique_ptr<zem_test::TempDir> dir;
    static inline fs::path folder;
    static inline bool haveSources = false;
};

struct ToolCase {
    const char* name;
    uint16_t tag;
    const char* source;
    bool bySox; // encoder and reference decoder: sox, else ffmpeg
    const char* encodeArgs;
    size_t cutDataBytes = 0; // bytes cut off the end of the data chunk
};

// Shortens the file's data chunk (its last chunk) by cut bytes.
void cutDataChunk(const fs::path& file, size_t cut)
{
    Bytes bytes = zem_test::readBytes(file);
    const uint8_t id[4] = {'d', 'a', 't', 'a'};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(id), std::end(id));
    ASSERT_NE(at, bytes.end());
    const size_t sizeAt = static_cast<size_t>(at - bytes.begin()) + 4;
    const uint32_t size = dw_get_le32(&bytes[sizeAt]);
    ASSERT_GT(size, cut);
    ASSERT_EQ(sizeAt + 4 + size, bytes.size()) << "data must be the last chunk";
    dw_put_le32(&bytes[sizeAt], static_cast<uint32_t>(size - cut));
    bytes.resize(bytes.size() - cut);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The frames a compressed file declares in its "fact" chunk.
uint32_t declaredFrames(const Bytes& file)
{
    const uint8_t id[4] = {'f', 'a', 'c', 't'};
    auto at = std::search(file.begin(), file.end(), std::begin(id), std::end(id));
    const size_t countAt = static_cast<size_t>(at - file.begin()) + 8;
    return countAt + 4 <= file.size() ? dw_get_le32(&file[countAt]) : 0;
}

// The decoder stops at the declared count where a codec decodes further
// (the padding of the last MPEG frame); the reference tools do not.
Bytes upToDeclared(Bytes reference, const Bytes& file, size_t frameBytes)
{
    if (dw_get_le16(&file[20]) != 0x0001)
        reference.resize(std::min(reference.size(), declaredFrames(file) * frameBytes));
    return reference;
}

const ToolCase kToolCases[] = {
    {"alaw", 0x06, "mono.wav", true, "-e a-law"},
    {"mulaw", 0x07, "mono.wav", true, "-e u-law"},
    {"gsm", 0x31, "mono.wav", true, "-e gsm-full-rate"},
    {"alaw_stereo", 0x06, "stereo.wav", true, "-e a-law"},
    {"ima_adpcm", 0x11, "stereo.wav", false, "-c:a adpcm_ima_wav"},
    {"ima_adpcm_mono", 0x11, "mono.wav", false, "-c:a adpcm_ima_wav"},
    {"ms_adpcm", 0x02, "stereo.wav", false, "-c:a adpcm_ms"},
    {"ms_adpcm_mono", 0x02, "mono.wav", false, "-c:a adpcm_ms"},
    {"yamaha_adpcm", 0x20, "mono.wav", false, "-c:a adpcm_yamaha"},
    {"g726", 0x45, "mono.wav", false, "-c:a g726 -b:a 32k"},
    // MPEG frames vary in size: the last one does not end on a block.
    {"mpeg_layer2", 0x50, "stereo.wav", false, "-c:a mp2 -b:a 128k"},
    {"mpeg_layer3", 0x55, "stereo.wav", false, "-c:a libmp3lame -b:a 64k"},
    // A partial last block is dropped exactly as ffmpeg drops it.
    {"ima_adpcm_cut_block", 0x11, "stereo.wav", false, "-c:a adpcm_ima_wav", 300},
};

TEST_F(CodecCompare, DecodesLikeTheReferenceTool)
{
    ASSERT_TRUE(haveSources) << "sox could not make the source signals";
    for (const auto& c : kToolCases) {
        SCOPED_TRACE(c.name);
        const std::string wav = std::string(c.name) + ".wav";
        fs::path encoded = c.bySox ? encodeWithSox(c.source, c.encodeArgs, wav)
                                   : encodeWithFfmpeg(c.source, c.encodeArgs, wav);
        if (c.cutDataBytes > 0) cutDataChunk(encoded, c.cutDataBytes);
        fs::path raw = folder / (std::string(c.name) + ".raw");
        const Bytes file = zem_test::readBytes(encoded);
        const size_t frameBytes = 2 * dw_get_le16(&file[22]);
        Bytes expected = upToDeclared(reference(c.bySox ? soxToRaw(encoded, raw) : ffmpegToRaw(encoded, raw), raw),
                                      file, frameBytes);
        ASSERT_FALSE(expected.empty());
        Bytes got = decodeWithQzwav(encoded, c.tag);
        EXPECT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected) << "decoded bytes differ from the reference";
    }
}

// libavcodec's IMA ADPCM rounds differently from sox's and the two drift
// apart within a block; on this fixed signal they stay a few steps apart.
TEST_F(CodecCompare, ImaAdpcmStaysCloseToSox)
{
    ASSERT_TRUE(haveSources);
    fs::path encoded = encodeWithFfmpeg("stereo.wav", "-c:a adpcm_ima_wav", "ima_vs_sox.wav");
    fs::path raw = folder / "ima_vs_sox.raw";
    Bytes bySox = reference(soxToRaw(encoded, raw), raw);
    Bytes got = decodeWithQzwav(encoded, 0x11);
    ASSERT_EQ(got.size(), bySox.size());
    int maxDifference = 0;
    for (size_t i = 0; i + 1 < got.size(); i += 2) {
        int a = static_cast<int16_t>(dw_get_le16(&got[i]));
        int b = static_cast<int16_t>(dw_get_le16(&bySox[i]));
        maxDifference = std::max(maxDifference, std::abs(a - b));
    }
    RecordProperty("max_difference_to_sox", maxDifference);
    std::printf("IMA ADPCM: largest sample difference to sox %d\n", maxDifference);
    EXPECT_LE(maxDifference, 64);
}

// A "fmt " rate far from the codec's own must not blow a few bytes up
// into megabytes of resampled sound.
TEST_F(CodecCompare, RateFarFromTheCodecsIsNotResampled)
{
    ASSERT_TRUE(haveSources);
    Bytes original = zem_test::readBytes(encodeWithFfmpeg("stereo.wav", "-c:a mp2 -b:a 128k", "mp2_rate.wav"));
    // Three seconds at 22050 Hz, 16-bit stereo: about 265 000 bytes.
    struct RateCase {
        uint32_t rate;
        bool opens;
        size_t minBytes;
        size_t maxBytes;
    };
    const RateCase cases[] = {
        {1000, true, 0, 0},    // 22 times below the frames' rate: frames dropped
        {500000, false, 0, 0}, // beyond any codec rate: refused
        // Twice the frames' rate: resampled, and cut at the declared count.
        {44100, true, 264600, 270000},
    };
    const QzwavModule& m = QzwavModule::get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        Bytes file = original;
        dw_put_le32(&file[24], c.rate); // "fmt " sample rate
        MemoryHost host;
        uint8_t* handle = openBytes(host, file);
        ASSERT_EQ(handle != nullptr, c.opens);
        if (!handle) continue;
        Bytes out = decodeAll(host, handle);
        EXPECT_GE(out.size(), c.minBytes);
        EXPECT_LE(out.size(), c.maxBytes);
        EXPECT_NE(m.isEnd(host.table(), handle), 0);
        m.close(host.table(), handle);
    }
}

TEST_F(CodecCompare, CompressedPositionsAreApproximateButLandOnBlocks)
{
    ASSERT_TRUE(haveSources);
    fs::path encoded = encodeWithFfmpeg("stereo.wav", "-c:a adpcm_ima_wav", "ima_seek.wav");
    fs::path raw = folder / "ima_seek.raw";
    Bytes expected = reference(ffmpegToRaw(encoded, raw), raw);
    MemoryHost host;
    uint8_t* handle = openBytes(host, zem_test::readBytes(encoded));
    ASSERT_NE(handle, nullptr);
    const QzwavModule& m = QzwavModule::get();
    // ffmpeg writes 1024-byte stereo blocks: 1017 frames each.
    const uint32_t blockFrames = 1017;
    EXPECT_EQ(m.setPosition(host.table(), handle, 3 * blockFrames, 0), 1);
    Bytes got = decodeSome(host, handle, 4 * 100);
    ASSERT_EQ(got.size(), 400u);
    const size_t from = 3 * blockFrames * 4;
    ASSERT_GE(expected.size(), from + 400);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + static_cast<std::ptrdiff_t>(from)));
    EXPECT_EQ(m.setLoop(host.table(), handle, blockFrames, 0, 2 * blockFrames, 0), 1);
    EXPECT_EQ(m.setEnd(host.table(), handle, 0, 0), 1);
    EXPECT_EQ(m.isEnd(host.table(), handle), 0);
    m.close(host.table(), handle);
    EXPECT_EQ(host.liveBlocks(), 0u);
}

// Random ADPCM blocks with valid headers (and, where asked, some invalid
// ones), in any block size: the decoder's own ADPCM code must give what
// libavcodec gives, sample for sample.
struct AdpcmCase {
    const char* name;
    uint16_t tag;
    uint16_t channels;
    uint16_t blockAlign;
    size_t blocks;
    size_t cutBytes;       // taken off the last block
    size_t badHeaderEvery; // every n-th block has an invalid header (0: none)
};

const AdpcmCase kAdpcmCases[] = {
    {"ima_mono_256", 0x11, 1, 256, 40, 0, 0},
    {"ima_stereo_2048", 0x11, 2, 2048, 12, 0, 0},
    {"ima_mono_odd_37", 0x11, 1, 37, 300, 0, 0},
    {"ima_stereo_odd_101", 0x11, 2, 101, 200, 0, 0},
    {"ima_stereo_cut_last", 0x11, 2, 1024, 10, 333, 0},
    {"ima_mono_bad_headers", 0x11, 1, 512, 30, 0, 4},
    {"ms_mono_256", 0x02, 1, 256, 40, 0, 0},
    {"ms_stereo_1024", 0x02, 2, 1024, 12, 0, 0},
    {"ms_mono_odd_33", 0x02, 1, 33, 300, 0, 0},
    {"ms_stereo_odd_99", 0x02, 2, 99, 200, 0, 0},
    {"ms_stereo_cut_last", 0x02, 2, 512, 10, 201, 0},
    {"ms_stereo_bad_headers", 0x02, 2, 256, 30, 0, 3},
};

Bytes adpcmBlock(const AdpcmCase& c, uint32_t& seed, bool bad)
{
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    Bytes block(c.blockAlign);
    for (auto& b : block) b = static_cast<uint8_t>(next() >> 24);
    for (uint16_t ch = 0; ch < c.channels; ++ch) {
        if (c.tag == 0x11) {
            uint8_t* header = &block[4 * ch];
            header[2] = static_cast<uint8_t>(next() % 89); // step index
            header[3] = bad ? 1 : 0;                       // reserved byte
        } else {
            block[ch] = static_cast<uint8_t>(bad ? 7 : next() % 7); // predictor
            // Deltas from the smallest to large, sometimes negative.
            const auto delta = static_cast<uint16_t>(static_cast<int16_t>(next() % 3000) - 200);
            block[c.channels + 2 * ch] = static_cast<uint8_t>(delta);
            block[c.channels + 2 * ch + 1] = static_cast<uint8_t>(delta >> 8);
        }
    }
    return block;
}

Bytes adpcmFile(const AdpcmCase& c)
{
    Bytes extra;
    const size_t header = (c.tag == 0x11 ? 4u : 7u) * c.channels;
    const uint16_t framesPerBlock = c.tag == 0x11 ? static_cast<uint16_t>(1 + (c.blockAlign - header) * 2 / c.channels)
                                                  : static_cast<uint16_t>(2 + (c.blockAlign - header) * 2 / c.channels);
    putLe16(extra, framesPerBlock);
    if (c.tag == 0x02) {
        const int16_t pairs[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
        putLe16(extra, 7);
        for (const auto& p : pairs) {
            putLe16(extra, static_cast<uint16_t>(p[0]));
            putLe16(extra, static_cast<uint16_t>(p[1]));
        }
    }
    Bytes data;
    uint32_t seed = c.blockAlign * 7919u + c.channels;
    for (size_t b = 0; b < c.blocks; ++b) {
        Bytes block = adpcmBlock(c, seed, c.badHeaderEvery && b % c.badHeaderEvery == 1);
        data.insert(data.end(), block.begin(), block.end());
    }
    data.resize(data.size() - c.cutBytes);
    Bytes fact;
    putLe32(fact, 0xFFFFFFFFu); // more than any data holds: the data decides
    return riffFile(
        {{"fmt ", formatBody(c.tag, c.channels, 22050, c.blockAlign, 4, extra)}, {"fact", fact}, {"data", data}});
}

void writeFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The contents of the first chunk `id` of a RIFF WAVE file (empty when
// there is none).
Bytes chunkOf(const Bytes& file, const char* id)
{
    for (size_t at = 12; at + 8 <= file.size();) {
        const size_t size = dw_get_le32(&file[at + 4]);
        const size_t body = at + 8;
        if (std::equal(id, id + 4, file.begin() + static_cast<std::ptrdiff_t>(at)))
            return Bytes(file.begin() + static_cast<std::ptrdiff_t>(body),
                         file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), body + size)));
        at = body + size + (size & 1);
    }
    return {};
}

// What libavcodec makes of the file's data, fed to it through the codec
// module exactly as the decoder fed it: whole blocks in pieces of at most
// 32768 bytes, a cut last block on its own, then the end of input.
std::optional<Bytes> decodeWithLibavcodec(const Bytes& file)
{
    static platform::DynamicLibrary module(std::string(ZEM_BIN_DIR) + "/zemcodec.so");
    auto entry = module.entry<platform::AcmBackendEntry>(platform::kAcmBackendEntry);
    if (!entry) return std::nullopt;
    const platform::AcmBackend& codec = *entry();
    const Bytes fmt = chunkOf(file, "fmt ");
    const Bytes data = chunkOf(file, "data");
    if (fmt.size() < 18) return std::nullopt;
    platform::AcmWaveFormat wave{dw_get_le16(&fmt[0]),  dw_get_le16(&fmt[2]),
                                 dw_get_le32(&fmt[4]),  dw_get_le32(&fmt[8]),
                                 dw_get_le16(&fmt[12]), dw_get_le16(&fmt[14]),
                                 fmt.data() + 18,       std::min<size_t>(dw_get_le16(&fmt[16]), fmt.size() - 18)};
    platform::AcmPcmFormat pcm{static_cast<uint16_t>(wave.channels > 1 ? 2 : 1), wave.samplesPerSec, 16};
    platform::AcmStream* stream = codec.streamOpen(wave, pcm);
    if (!stream) return std::nullopt;
    Bytes out;
    Bytes piece(32768);
    auto drain = [&](size_t got) {
        do out.insert(out.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        while ((got = codec.streamTakeOutput(stream, piece.data(), piece.size())) > 0);
    };
    const size_t wholePiece = 32768 - 32768 % wave.blockAlign;
    for (size_t at = 0; at < data.size();) {
        size_t take = std::min(wholePiece, data.size() - at);
        if (take >= wave.blockAlign) take -= take % wave.blockAlign;
        drain(codec.streamConvert(stream, data.data() + at, take, piece.data(), piece.size(), at == 0));
        at += take;
    }
    drain(codec.streamConvert(stream, nullptr, 0, piece.data(), piece.size(), false));
    codec.streamClose(stream);
    return out;
}

TEST_F(CodecCompare, AdpcmMatchesLibavcodecOnGeneratedBlocks)
{
    for (const auto& c : kAdpcmCases) {
        SCOPED_TRACE(c.name);
        const Bytes file = adpcmFile(c);
        const std::optional<Bytes> expected = decodeWithLibavcodec(file);
        ASSERT_TRUE(expected.has_value());
        ASSERT_GT(expected->size(), 1000u);
        const fs::path path = folder / (std::string(c.name) + ".wav");
        writeFile(path, file);
        Bytes got = decodeWithQzwav(path, c.tag);
        EXPECT_EQ(got.size(), expected->size());
        EXPECT_TRUE(got == *expected) << "decoded bytes differ from libavcodec's";
    }
}

// Files of real encoders and files the fuzzer found: whatever libavcodec
// decodes, the decoder's own ADPCM code decodes alike.
TEST_F(CodecCompare, AdpcmCorpusFilesMatchLibavcodec)
{
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(ZEM_SOURCE_DIR) / "fuzz/corpus/qzwav_fuzz")) {
        const Bytes file = zem_test::readBytes(entry.path());
        const Bytes fmt = chunkOf(file, "fmt ");
        if (fmt.size() < 16 || chunkOf(file, "fact").size() < 4) continue;
        const uint16_t tag = dw_get_le16(&fmt[0]);
        if (tag != 0x11 && tag != 0x02) continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::optional<Bytes> reference = decodeWithLibavcodec(file);
        MemoryHost host;
        uint8_t* handle = openBytes(host, file);
        EXPECT_EQ(handle != nullptr, reference.has_value());
        if (!handle) continue;
        const Bytes expected = upToDeclared(*reference, file, 2 * size_t{dw_format_read(handle).channels});
        EXPECT_TRUE(decodeAll(host, handle) == expected) << "decoded bytes differ from libavcodec's";
        QzwavModule::get().close(host.table(), handle);
        ++compared;
    }
    EXPECT_GE(compared, 2);
}

// A "fact" chunk cannot promise more frames than the data chunk holds.
TEST(ForgedFactCount, TotalIsBoundedByTheData)
{
    struct Row {
        const char* name;
        AdpcmCase file;
        uint32_t fact;
        uint32_t expectedFrames;
    };
    const Row rows[] = {
        // 4 stereo IMA blocks of 1024 bytes hold 1017 frames each.
        {"ima forged", {"", 0x11, 2, 1024, 4, 0, 0}, 67000000, 4 * 1017},
        {"ima honest", {"", 0x11, 2, 1024, 4, 0, 0}, 4000, 4000},
        // 3 whole mono MS blocks of 256 bytes (500 frames) and 56 bytes: 100 frames.
        {"ms forged cut", {"", 0x02, 1, 256, 4, 200, 0}, 67000000, 3 * 500 + 100},
    };
    const QzwavModule& m = QzwavModule::get();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes file = adpcmFile(r.file);
        dw_put_le32(&file[file.size() - (r.file.blocks * r.file.blockAlign - r.file.cutBytes) - 12], r.fact);
        EXPECT_EQ(declaredFrames(file), r.fact);
        MemoryHost host;
        uint8_t* handle = openBytes(host, file);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(dw_format_read(handle).frames, r.expectedFrames);
        EXPECT_EQ(decodeAll(host, handle).size(), size_t{r.expectedFrames} * 2 * r.file.channels);
        m.close(host.table(), handle);
    }
}

} // namespace
