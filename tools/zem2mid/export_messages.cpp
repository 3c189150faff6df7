#include "export_messages.h"

#include <cstdio>

namespace zem2mid {

std::string fileErrorText(util::ErrCode code, uint32_t errorOffset)
{
    if (code != kErrDeltaTooLong) return playback::exportErrorText(code, errorOffset);
    char text[64];
    std::snprintf(text, sizeof text, "Deltatime too long at %08x.", errorOffset);
    return text;
}

} // namespace zem2mid
