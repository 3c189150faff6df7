// zem2wav: renders the ZEM images (or KVT sources) named on the command
// line to WAVE (or compressed) files through the built-in synthesizer.
#include "render_file.h"
#include "render_limit.h"
#include "render_messages.h"
#include "render_switches.h"
#include "render_synth.h"

#include "common/tool_program.h"
#include "playback/export_messages.h"
#include "playback/export_settings.h"

int main(int argc, char** argv)
{
    static zem2wav::RenderSettings settings;
    static zem2wav::RenderOptions output;
    const tools::ToolProgram program{
        zem2wav::kBanner,
        nullptr, // console only
        zem2wav::kUsage,
        nullptr,
        zem2wav::kBanner,
        playback::kErrIllegalOption,
        [](const std::vector<std::string>& words, tools::TrailingText trailing) {
            uint32_t limitMinutes = zem2wav::kDefaultRenderLimitMinutes;
            unsigned threads = zem2wav::defaultRenderThreads();
            const playback::ExportSettings common =
                playback::parseSettings(words, trailing, [&](char letter, const std::string& word, size_t& pos) {
                    if (letter == 'T') {
                        limitMinutes = playback::readDecimal(word, pos);
                        return true;
                    }
                    if (letter == 'J') {
                        const uint32_t wanted = playback::readDecimal(word, pos);
                        threads = wanted == 0 ? zem2wav::defaultRenderThreads() : wanted;
                        return true;
                    }
                    return false;
                });
            settings = {common.playback, limitMinutes, threads, output};
        },
        [](const std::string& word, tools::ReportFn report) { return zem2wav::renderFile(word, settings, report); },
        [](std::vector<std::string>& words) { return zem2wav::takeRenderSwitches(words, output); },
    };
    return tools::runConsoleProgram(argc, argv, program);
}
