// The compression manager's calls over libavcodec and libswresample, and
// which decoder serves a WAVE format tag.  Only zemcodec.so is built from
// these files.
#pragma once

#include "platform/codec_backend.h"

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

// The backend's calls, as the table types them.
AcmFormatSuggestCall formatSuggest;
AcmStreamOpenCall streamOpen;
AcmStreamSizeCall streamSize;
AcmStreamConvertCall streamConvert;
AcmStreamTakeOutputCall streamTakeOutput;
AcmStreamHasPendingCall streamHasPending;
AcmStreamCloseCall streamClose;

} // namespace platform::ffmpeg
