// zem2wav: renders the ZEM images (or KVT sources) named on the command
// line to WAVE files through the built-in synthesizer.
#include "render_file.h"
#include "render_limit.h"
#include "render_messages.h"

#include "common/tool_program.h"
#include "playback/export_messages.h"
#include "playback/export_settings.h"

int main(int argc, char** argv)
{
    static zem2wav::RenderSettings settings;
    const tools::ToolProgram program{
        zem2wav::kBanner,
        nullptr, // console only
        zem2wav::kUsage,
        nullptr,
        zem2wav::kBanner,
        playback::kErrIllegalOption,
        [](const std::vector<std::string>& words, tools::TrailingText trailing) {
            uint32_t limitMinutes = zem2wav::kDefaultRenderLimitMinutes;
            const playback::ExportSettings common =
                playback::parseSettings(words, trailing, [&](char letter, const std::string& word, size_t& pos) {
                    if (letter != 'T') return false;
                    limitMinutes = playback::readDecimal(word, pos);
                    return true;
                });
            settings = {common.playback, limitMinutes};
        },
        [](const std::string& word, tools::ReportFn report) { return zem2wav::renderFile(word, settings, report); },
    };
    return tools::runConsoleProgram(argc, argv, program);
}
