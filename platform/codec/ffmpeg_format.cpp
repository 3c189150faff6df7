#include "ffmpeg_codec.h"
#include "platform/codec.h"

#include <algorithm>

namespace platform::ffmpeg {

namespace {
constexpr uint16_t kMaxOutputChannels = 2;
constexpr uint16_t kOutputBits = 16;
} // namespace

bool isSampleCodec(AVCodecID id) { return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT; }

bool needsParser(AVCodecID id) { return id == AV_CODEC_ID_MP1 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP3; }

bool formatSuggest(const AcmWaveFormat& src, AcmPcmFormat& dst)
{
    AVCodecID id = codecForWaveTag(src.formatTag);
    if (id == AV_CODEC_ID_NONE || !avcodec_find_decoder(id) || src.channels == 0) return false;
    if (dst.channels == 0) dst.channels = std::min(src.channels, kMaxOutputChannels);
    if (dst.samplesPerSec == 0) dst.samplesPerSec = src.samplesPerSec;
    dst.bitsPerSample = kOutputBits;
    return true;
}

} // namespace platform::ffmpeg
