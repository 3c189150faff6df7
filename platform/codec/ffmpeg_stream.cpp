#include "ffmpeg_codec.h"
#include "platform/codec.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {

namespace {

constexpr size_t kBytesPerSample = 2;
// No MPEG audio frame yields more than 16 samples per channel for each of
// its bytes (MPEG-2.5 layer III at 8 kbit/s and 8 kHz); 1152 covers the one
// frame a parser may hold back.
constexpr size_t kMpegSamplesPerByte = 16;
constexpr size_t kMpegHeldSamples = 1152;
// A codec whose frames disagree with the file's rate is resampled to it,
// but only within this factor: a damaged header must not turn a few bytes
// into megabytes.
constexpr int kMaxRateFactor = 8;
constexpr uint32_t kMaxRate = 384000;

} // namespace

struct AcmStream {
    AVCodecContext* context = nullptr;
    AVCodecParserContext* parser = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* resampler = nullptr;
    AVChannelLayout resamplerLayout{};
    int resamplerFormat = -1;
    int resamplerRate = 0;
    AVCodecID id = AV_CODEC_ID_NONE;
    AcmWaveFormat src;
    AcmPcmFormat dst;
    size_t samplesPerBlock = 0;   // 0 when the codec cannot tell from a block
    bool parserHolds = false;     // the parser has bytes it has not emitted
    std::vector<uint8_t> pending; // converted output waiting for the caller
    size_t pendingUsed = 0;
    std::vector<int16_t> interleaved;
};

namespace ffmpeg {

namespace {

bool openParser(AcmStream& s)
{
    if (s.parser) av_parser_close(s.parser);
    s.parser = av_parser_init(s.id);
    s.parserHolds = false;
    return s.parser != nullptr;
}

bool ensureResampler(AcmStream& s, AVFrame& frame)
{
    const int64_t dstRate = s.dst.samplesPerSec;
    if (frame.sample_rate <= 0 || frame.sample_rate > dstRate * kMaxRateFactor ||
        int64_t{frame.sample_rate} * kMaxRateFactor < dstRate)
        return false;
    if (s.resampler && s.resamplerFormat == frame.format && s.resamplerRate == frame.sample_rate &&
        av_channel_layout_compare(&s.resamplerLayout, &frame.ch_layout) == 0)
        return true;
    swr_free(&s.resampler);
    av_channel_layout_uninit(&s.resamplerLayout);
    if (av_channel_layout_copy(&s.resamplerLayout, &frame.ch_layout) < 0) return false;
    // Same layout in and out: only the sample format (and, rarely, the rate)
    // changes; channels are picked afterwards so nothing is mixed.
    if (swr_alloc_set_opts2(&s.resampler, &frame.ch_layout, AV_SAMPLE_FMT_S16, static_cast<int>(s.dst.samplesPerSec),
                            &frame.ch_layout, static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                            nullptr) < 0 ||
        swr_init(s.resampler) < 0) {
        swr_free(&s.resampler);
        return false;
    }
    s.resamplerFormat = frame.format;
    s.resamplerRate = frame.sample_rate;
    return true;
}

template <int OutChannels> void copyFrames(uint8_t* out, size_t frames, const int16_t* const channel[2], size_t stride)
{
    for (size_t f = 0, at = 0; f < frames; ++f, at += stride) {
        for (int c = 0; c < OutChannels; ++c) {
            auto v = static_cast<uint16_t>(channel[c][at]);
            out[0] = static_cast<uint8_t>(v);
            out[1] = static_cast<uint8_t>(v >> 8);
            out += 2;
        }
    }
}

// Appends `frames` frames to the pending output.  channel[c] points at
// the first sample of output channel c (for mono sources both point at the
// one channel); consecutive frames are `stride` samples apart.
void appendFrames(AcmStream& s, int frames, const int16_t* const channel[2], size_t stride)
{
    const size_t count = static_cast<size_t>(frames);
    size_t start = s.pending.size();
    s.pending.resize(start + count * s.dst.channels * kBytesPerSample);
    if (s.dst.channels == 2)
        copyFrames<2>(s.pending.data() + start, count, channel, stride);
    else
        copyFrames<1>(s.pending.data() + start, count, channel, stride);
}

void appendInterleaved(AcmStream& s, const int16_t* samples, int frames, int channels)
{
    const int16_t* channel[2] = {samples, samples + std::min(1, channels - 1)};
    appendFrames(s, frames, channel, static_cast<size_t>(channels));
}

// Most codecs already deliver 16-bit samples at the file's rate: those skip
// the resampler.
bool appendDirectly(AcmStream& s, const AVFrame& frame)
{
    const int channels = frame.ch_layout.nb_channels;
    if (static_cast<uint32_t>(frame.sample_rate) != s.dst.samplesPerSec) return false;
    if (frame.format == AV_SAMPLE_FMT_S16) {
        appendInterleaved(s, reinterpret_cast<const int16_t*>(frame.extended_data[0]), frame.nb_samples, channels);
        return true;
    }
    if (frame.format == AV_SAMPLE_FMT_S16P) {
        const int16_t* channel[2] = {reinterpret_cast<const int16_t*>(frame.extended_data[0]),
                                     reinterpret_cast<const int16_t*>(frame.extended_data[std::min(1, channels - 1)])};
        appendFrames(s, frame.nb_samples, channel, 1);
        return true;
    }
    return false;
}

void resampleInto(AcmStream& s, const uint8_t* const* data, int frames)
{
    const int channels = s.resamplerLayout.nb_channels;
    int capacity = swr_get_out_samples(s.resampler, frames);
    if (capacity <= 0 || channels <= 0) return;
    s.interleaved.resize(static_cast<size_t>(capacity) * channels);
    auto* out = reinterpret_cast<uint8_t*>(s.interleaved.data());
    int got = swr_convert(s.resampler, &out, capacity, const_cast<const uint8_t**>(data), frames);
    if (got > 0) appendInterleaved(s, s.interleaved.data(), got, channels);
}

void receiveFrames(AcmStream& s)
{
    while (avcodec_receive_frame(s.context, s.frame) == 0) {
        if (s.frame->nb_samples > 0 && s.frame->ch_layout.nb_channels > 0 && !appendDirectly(s, *s.frame) &&
            ensureResampler(s, *s.frame))
            resampleInto(s, s.frame->extended_data, s.frame->nb_samples);
        av_frame_unref(s.frame);
    }
}

void decodePacket(AcmStream& s, const uint8_t* data, size_t size)
{
    s.packet->data = const_cast<uint8_t*>(data);
    s.packet->size = static_cast<int>(size);
    // A block the codec rejects is skipped; the next one starts afresh.
    if (avcodec_send_packet(s.context, s.packet) == 0) receiveFrames(s);
    s.packet->data = nullptr;
    s.packet->size = 0;
}

// The parser needs its input padded; feed it through a padded copy.
void parseAndDecode(AcmStream& s, const uint8_t* data, size_t size)
{
    std::vector<uint8_t> padded(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    if (size > 0) std::memcpy(padded.data(), data, size);
    const uint8_t* in = padded.data();
    int remaining = static_cast<int>(size);
    do {
        uint8_t* out = nullptr;
        int outSize = 0;
        int used =
            av_parser_parse2(s.parser, s.context, &out, &outSize, in, remaining, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0) break;
        in += used;
        remaining -= used;
        if (outSize > 0) {
            std::vector<uint8_t> framed(out, out + outSize);
            framed.resize(outSize + AV_INPUT_BUFFER_PADDING_SIZE, 0);
            decodePacket(s, framed.data(), static_cast<size_t>(outSize));
        }
        if (size == 0) break; // one flushing call empties the parser
    } while (remaining > 0);
    s.parserHolds = size > 0;
}

void decodeBlocks(AcmStream& s, const uint8_t* src, size_t size)
{
    const size_t block = isSampleCodec(s.id) ? size : s.src.blockAlign;
    std::vector<uint8_t> padded(block + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    // A short last block (the end of the data) is one packet of its own.
    for (size_t at = 0; at < size; at += block) {
        size_t length = std::min(block, size - at);
        std::memcpy(padded.data(), src + at, length);
        std::memset(padded.data() + length, 0, AV_INPUT_BUFFER_PADDING_SIZE);
        decodePacket(s, padded.data(), length);
    }
}

void flushResampler(AcmStream& s)
{
    if (s.resampler && swr_get_delay(s.resampler, s.dst.samplesPerSec) > 0) resampleInto(s, nullptr, 0);
}

size_t takePending(AcmStream& s, uint8_t* dst, size_t capacity)
{
    const size_t frameBytes = s.dst.channels * kBytesPerSample;
    size_t n = std::min(s.pending.size() - s.pendingUsed, capacity - capacity % frameBytes);
    if (n > 0) std::memcpy(dst, s.pending.data() + s.pendingUsed, n);
    s.pendingUsed += n;
    if (s.pendingUsed == s.pending.size()) {
        s.pending.clear();
        s.pendingUsed = 0;
    }
    return n;
}

// Damaged blocks are expected in the wild and skipped; FFmpeg's own
// reports about them would only clutter the host's standard error.
void silenceCodecMessages()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool setUpContext(AcmStream& s, const AVCodec* codec)
{
    s.context = avcodec_alloc_context3(codec);
    if (!s.context) return false;
    AVCodecContext& c = *s.context;
    av_channel_layout_default(&c.ch_layout, s.src.channels);
    c.sample_rate = static_cast<int>(s.src.samplesPerSec);
    c.block_align = s.src.blockAlign;
    c.bits_per_coded_sample = s.src.bitsPerSample;
    c.bit_rate = int64_t{s.src.avgBytesPerSec} * 8;
    if (s.src.extraSize > 0) {
        c.extradata = static_cast<uint8_t*>(av_mallocz(s.src.extraSize + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!c.extradata) return false;
        std::memcpy(c.extradata, s.src.extra, s.src.extraSize);
        c.extradata_size = static_cast<int>(s.src.extraSize);
    }
    if (avcodec_open2(s.context, codec, nullptr) < 0) return false;
    s.samplesPerBlock = static_cast<size_t>(std::max(0, av_get_audio_frame_duration(s.context, s.src.blockAlign)));
    return true;
}

} // namespace

AcmStream* streamOpen(const AcmWaveFormat& src, const AcmPcmFormat& dst)
{
    if (src.channels == 0 || src.samplesPerSec == 0 || src.samplesPerSec > kMaxRate || src.blockAlign == 0 ||
        dst.bitsPerSample != 16 || (dst.channels != 1 && dst.channels != 2) || dst.samplesPerSec == 0 ||
        dst.samplesPerSec > kMaxRate)
        return nullptr;
    AVCodecID id = codecForWaveTag(src.formatTag);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!codec) return nullptr;
    silenceCodecMessages();
    auto* s = new AcmStream;
    s->id = id;
    s->src = src;
    s->dst = dst;
    s->packet = av_packet_alloc();
    s->frame = av_frame_alloc();
    if (!s->packet || !s->frame || !setUpContext(*s, codec) || (needsParser(id) && !openParser(*s))) {
        streamClose(s);
        return nullptr;
    }
    return s;
}

size_t streamSize(const AcmStream* stream, size_t srcBytes)
{
    if (!stream) return 0;
    const AcmStream& s = *stream;
    size_t frames;
    if (s.samplesPerBlock > 0 && !s.parser)
        frames = srcBytes / s.src.blockAlign * s.samplesPerBlock;
    else
        frames = srcBytes * kMpegSamplesPerByte + kMpegHeldSamples;
    // Rate conversion, when the codec's rate differs, can add a frame or two.
    frames = frames * s.dst.samplesPerSec / s.src.samplesPerSec + 2;
    return frames * s.dst.channels * kBytesPerSample;
}

size_t streamConvert(AcmStream* stream, const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                     bool start)
{
    if (!stream || !dst) return 0;
    AcmStream& s = *stream;
    if (start) {
        avcodec_flush_buffers(s.context);
        if (s.parser) openParser(s);
    }
    if (src && srcSize > 0) {
        if (s.parser)
            parseAndDecode(s, src, srcSize);
        else
            decodeBlocks(s, src, srcSize);
    } else {
        if (s.parser && s.parserHolds) parseAndDecode(s, nullptr, 0);
        flushResampler(s);
    }
    return takePending(s, dst, dstCapacity);
}

size_t streamTakeOutput(AcmStream* stream, uint8_t* dst, size_t dstCapacity)
{
    return stream && dst ? takePending(*stream, dst, dstCapacity) : 0;
}

bool streamHasPending(const AcmStream* stream)
{
    return stream && (stream->pending.size() > stream->pendingUsed || stream->parserHolds);
}

void streamClose(AcmStream* stream)
{
    if (!stream) return;
    if (stream->parser) av_parser_close(stream->parser);
    avcodec_free_context(&stream->context);
    av_packet_free(&stream->packet);
    av_frame_free(&stream->frame);
    swr_free(&stream->resampler);
    av_channel_layout_uninit(&stream->resamplerLayout);
    delete stream;
}

} // namespace ffmpeg

} // namespace platform
