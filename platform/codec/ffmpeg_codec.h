// The compression manager's calls over libavcodec and libswresample, and
// which decoder serves a WAVE format tag.  Only zemcodec.so is built from
// these files.
#pragma once

#include "platform/codec.h"

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace platform::ffmpeg {

// AV_CODEC_ID_NONE when no decoder is known for the tag.
AVCodecID codecForWaveTag(uint16_t formatTag);

// PCM-like codecs have no block structure: any run of whole sample frames
// is one packet.
bool isSampleCodec(AVCodecID id);

// MPEG audio in WAVE files is cut into frames by a parser, not by blocks.
bool needsParser(AVCodecID id);

bool formatSuggest(const AcmWaveFormat& src, AcmPcmFormat& dst);
AcmStream* streamOpen(const AcmWaveFormat& src, const AcmPcmFormat& dst);
size_t streamSize(const AcmStream* stream, size_t srcBytes);
size_t streamConvert(AcmStream* stream, const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                     bool start);
size_t streamTakeOutput(AcmStream* stream, uint8_t* dst, size_t dstCapacity);
bool streamHasPending(const AcmStream* stream);
void streamClose(AcmStream* stream);

} // namespace platform::ffmpeg
