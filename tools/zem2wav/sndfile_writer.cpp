#include "sndfile_writer.h"

#include "ogg_pages.h"

#include "platform/midi_synth.h"
#include "util/uerr.h"

#include <sndfile.h>
#include <speex/speex_resampler.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zem2wav {

namespace {

// Opus encodes 48 kHz (among rates 44.1 kHz is not).
constexpr int kOpusRate = 48000;
constexpr int kResamplerQuality = 8;
// Any fixed value does: one logical stream per file.
constexpr uint32_t kOggSerial = 0x5A454D31; // "ZEM1"

int sndfileFormat(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Flac: return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case OutputFormat::OggVorbis: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case OutputFormat::Opus: return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case OutputFormat::Mp3: return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case OutputFormat::Wave: break;
    }
    return 0;
}

// The encoded file, growing in memory.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    sf_count_t position = 0;
};

MemoryFile& memoryOf(void* user) { return *static_cast<MemoryFile*>(user); }

sf_count_t memoryLength(void* user) { return static_cast<sf_count_t>(memoryOf(user).bytes.size()); }

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    MemoryFile& m = memoryOf(user);
    const sf_count_t base = whence == SEEK_CUR   ? m.position
                            : whence == SEEK_END ? static_cast<sf_count_t>(m.bytes.size())
                                                 : 0;
    if (base + offset < 0) return -1;
    m.position = base + offset;
    return m.position;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user)
{
    MemoryFile& m = memoryOf(user);
    const auto size = static_cast<sf_count_t>(m.bytes.size());
    const sf_count_t n = std::clamp<sf_count_t>(size - m.position, 0, count);
    if (n > 0) std::memcpy(out, m.bytes.data() + m.position, static_cast<size_t>(n));
    m.position += n;
    return n;
}

sf_count_t memoryWrite(const void* in, sf_count_t count, void* user)
{
    MemoryFile& m = memoryOf(user);
    const auto end = static_cast<size_t>(m.position + count);
    if (end > m.bytes.size()) m.bytes.resize(end);
    std::memcpy(m.bytes.data() + m.position, in, static_cast<size_t>(count));
    m.position += count;
    return count;
}

sf_count_t memoryTell(void* user) { return memoryOf(user).position; }

SF_VIRTUAL_IO kMemoryIo{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};

} // namespace

struct SndfileWriter::Encoder {
    MemoryFile memory;
    SNDFILE* sound = nullptr;
    SpeexResamplerState* resampler = nullptr;
    std::vector<int16_t> resampled;
    std::vector<int32_t> wide;

    ~Encoder()
    {
        if (sound) sf_close(sound);
        if (resampler) speex_resampler_destroy(resampler);
    }

    // Samples go in as 32-bit integers (exactly the 16-bit values shifted):
    // libsndfile 1.2.0's MP3 encoder garbles the 16-bit path.
    void write(const int16_t* stereo, size_t frames)
    {
        if (frames == 0) return;
        wide.resize(2 * frames);
        for (size_t i = 0; i < wide.size(); ++i) wide[i] = int32_t{stereo[i]} * 65536;
        if (sf_writef_int(sound, wide.data(), static_cast<sf_count_t>(frames)) != sf_count_t(frames))
            util::uerr_raise(util::kErrFileCannotWrite);
    }

    void resample(const int16_t* stereo, size_t frames)
    {
        const size_t capacity = frames * kOpusRate / platform::kSynthSampleRate + 64;
        resampled.resize(2 * capacity);
        auto inLength = static_cast<spx_uint32_t>(frames);
        auto outLength = static_cast<spx_uint32_t>(capacity);
        speex_resampler_process_interleaved_int(resampler, stereo, &inLength, resampled.data(), &outLength);
        write(resampled.data(), outLength);
    }
};

SndfileWriter::SndfileWriter(util::FILESET* file, OutputFormat format, const ScoreTags& tags)
    : file_(file), format_(format), encoder_(std::make_unique<Encoder>())
{
    SF_INFO info{};
    info.samplerate = format == OutputFormat::Opus ? kOpusRate : platform::kSynthSampleRate;
    info.channels = 2;
    info.format = sndfileFormat(format);
    encoder_->sound = sf_open_virtual(&kMemoryIo, SFM_WRITE, &info, &encoder_->memory);
    if (!encoder_->sound) util::uerr_raise(util::kErrFileCannotWrite);
    // Tags go in before the first sample: the Ogg formats write them into
    // their header pages.
    if (!tags.title.empty()) sf_set_string(encoder_->sound, SF_STR_TITLE, tags.title.c_str());
    if (!tags.notice.empty()) sf_set_string(encoder_->sound, SF_STR_COMMENT, tags.notice.c_str());
    if (format == OutputFormat::Opus) {
        int error = 0;
        encoder_->resampler = speex_resampler_init(2, platform::kSynthSampleRate, kOpusRate, kResamplerQuality, &error);
        if (!encoder_->resampler) util::uerr_raise(util::kErrFileCannotWrite);
        // No leading silence for the filter's delay: the Opus render starts
        // where the others do.
        speex_resampler_skip_zeros(encoder_->resampler);
    }
}

SndfileWriter::~SndfileWriter() = default;

void SndfileWriter::append(const int16_t* stereo, size_t frames)
{
    if (encoder_->resampler)
        encoder_->resample(stereo, frames);
    else
        encoder_->write(stereo, frames);
}

void SndfileWriter::finish()
{
    if (encoder_->resampler) {
        // The resampler's look-ahead still holds the last input frames.
        const std::vector<int16_t> silence(2 * speex_resampler_get_input_latency(encoder_->resampler), 0);
        encoder_->resample(silence.data(), silence.size() / 2);
    }
    const int closed = sf_close(encoder_->sound);
    encoder_->sound = nullptr;
    if (closed != 0) util::uerr_raise(util::kErrFileCannotWrite);
    std::vector<uint8_t>& bytes = encoder_->memory.bytes;
    if (format_ == OutputFormat::OggVorbis || format_ == OutputFormat::Opus) {
        if (!setOggSerial(bytes, kOggSerial)) util::uerr_raise(util::kErrFileCannotWrite);
    }
    util::fs_write(file_, bytes.data(), bytes.size());
}

} // namespace zem2wav
