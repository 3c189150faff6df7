// Which libavcodec decoder serves a WAVE format tag.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace platform {

// AV_CODEC_ID_NONE when no decoder is known for the tag.
AVCodecID codecForWaveTag(uint16_t formatTag);

// PCM-like codecs have no block structure: any run of whole sample frames
// is one packet.
bool isSampleCodec(AVCodecID id);

// MPEG audio in WAVE files is cut into frames by a parser, not by blocks.
bool needsParser(AVCodecID id);

} // namespace platform
