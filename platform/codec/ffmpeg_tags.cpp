#include "ffmpeg_codec.h"
#include "platform/dynload.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace platform::ffmpeg {

namespace {

struct TagCodec {
    uint16_t tag;
    AVCodecID id;
};

// The formats met in practice, answered without loading libavformat (and
// the forty libraries it brings along).
constexpr TagCodec kCommonTags[] = {
    {0x0002, AV_CODEC_ID_ADPCM_MS},      {0x0006, AV_CODEC_ID_PCM_ALAW}, {0x0007, AV_CODEC_ID_PCM_MULAW},
    {0x0011, AV_CODEC_ID_ADPCM_IMA_WAV}, {0x0031, AV_CODEC_ID_GSM_MS},   {0x0050, AV_CODEC_ID_MP2},
    {0x0055, AV_CODEC_ID_MP3},
};

using RiffTagsFn = const AVCodecTag* (*)();
using CodecIdFn = AVCodecID (*)(const AVCodecTag* const* tags, unsigned int tag);

// Any other tag is looked up in libavformat's table of RIFF audio tags, the
// one its own WAVE reader uses.
AVCodecID lookUpInLibavformat(uint16_t formatTag)
{
    // Kept mapped for good: once unloaded, the blocks its libraries hold
    // for their lifetime would look lost to leak checkers.
    static DynamicLibrary avformat(ZEM_AVFORMAT_SONAME, DynamicLibrary::Lifetime::Process);
    auto riffTags = avformat.entry<RiffTagsFn>("avformat_get_riff_audio_tags");
    auto codecId = avformat.entry<CodecIdFn>("av_codec_get_id");
    if (!riffTags || !codecId) return AV_CODEC_ID_NONE;
    const AVCodecTag* tables[] = {riffTags(), nullptr};
    return codecId(tables, formatTag);
}

} // namespace

AVCodecID codecForWaveTag(uint16_t formatTag)
{
    for (const auto& entry : kCommonTags) {
        if (entry.tag == formatTag) return entry.id;
    }
    return lookUpInLibavformat(formatTag);
}

} // namespace platform::ffmpeg
