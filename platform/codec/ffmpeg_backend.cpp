#include "ffmpeg_codec.h"
#include "platform/codec_backend.h"

extern "C" __attribute__((visibility("default"))) const platform::AcmBackend* zem_acm_backend()
{
    using namespace platform;
    static const AcmBackend table{
        sizeof(AcmBackend),     &ffmpeg::formatSuggest,    &ffmpeg::streamOpen,       &ffmpeg::streamSize,
        &ffmpeg::streamConvert, &ffmpeg::streamTakeOutput, &ffmpeg::streamHasPending, &ffmpeg::streamClose,
    };
    return &table;
}
