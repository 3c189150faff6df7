#include "render_messages.h"

#include "playback/export_messages.h"

namespace zem2wav {

std::string renderErrorText(util::ErrCode code, uint32_t errorOffset, const std::string& synthError)
{
    if (code == kErrSynthesizer) return "Synthesizer not available: " + synthError + ".";
    // The engine and file errors read as the exporter words them.
    return playback::exportErrorText(code, errorOffset);
}

} // namespace zem2wav
