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

#include <cstdio>

int main(int argc, char** argv)
{
    static zem2wav::RenderSettings settings;
    static zem2wav::RenderOptions output;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string misuse = zem2wav::takeRenderSwitches(arguments, output);
    if (!misuse.empty()) {
        std::fprintf(stderr, "%s\n", misuse.c_str());
        return 1;
    }
    std::vector<char*> rest{argv[0]};
    for (std::string& word : arguments) rest.push_back(word.data());

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
    };
    return tools::runConsoleProgram(static_cast<int>(rest.size()), rest.data(), program);
}
