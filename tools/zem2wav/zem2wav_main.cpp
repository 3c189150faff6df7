// zem2wav: renders the ZEM images (or KVT sources) named on the command
// line to WAVE (or compressed) files through the built-in synthesizer.
#include "render_file.h"
#include "render_messages.h"
#include "render_switches.h"

#include "common/tool_program.h"
#include "playback/export_messages.h"
#include "playback/export_settings.h"

#include <cstdio>

int main(int argc, char** argv)
{
    static zem2wav::RenderOptions options;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string misuse = zem2wav::takeRenderSwitches(arguments, options);
    if (!misuse.empty()) {
        std::fprintf(stderr, "%s\n", misuse.c_str());
        return 1;
    }
    std::vector<char*> rest{argv[0]};
    for (std::string& word : arguments) rest.push_back(word.data());

    static playback::ExportSettings settings;
    const tools::ToolProgram program{
        zem2wav::kBanner,
        nullptr, // console only
        zem2wav::kUsage,
        nullptr,
        zem2wav::kBanner,
        playback::kErrIllegalOption,
        [](const std::vector<std::string>& words, tools::TrailingText trailing) {
            settings = playback::parseSettings(words, trailing);
        },
        [](const std::string& word, tools::ReportFn report) {
            return zem2wav::renderFile(word, settings.playback, options, report);
        },
    };
    return tools::runConsoleProgram(static_cast<int>(rest.size()), rest.data(), program);
}
