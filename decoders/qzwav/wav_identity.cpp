#include "qzwav_exports.h"

namespace {
constexpr uint32_t kInterfaceVersion = 0x2800;
} // namespace

QZWAV_EXPORT uint32_t dw_version(void) { return kInterfaceVersion; }

QZWAV_EXPORT const char* dw_credit(void)
{
    return "RIFF Wave decoder for AUDSINK V0.47+3\n"
           "Linux edition: ADPCM decoded here, other compressed formats with FFmpeg's libavcodec (LGPL).";
}
