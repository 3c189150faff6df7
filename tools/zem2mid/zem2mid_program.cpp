#include "zem2mid_program.h"

#include "convert_file.h"
#include "export_messages.h"

namespace zem2mid {

const tools::ToolProgram& zem2midProgram()
{
    static playback::ExportSettings settings;
    static const tools::ToolProgram program{
        kBanner,
        kTitlePrefix,
        kUsage,
        "Exports ZEM images as Standard MIDI Files.\n"
        "Name the images to export, with optional -L -D -F -M -Z -O switches.",
        kBanner,
        playback::kErrIllegalOption,
        [](const std::vector<std::string>& words, tools::TrailingText trailing) {
            settings = playback::parseSettings(words, trailing);
        },
        [](const std::string& word, tools::ReportFn report) { return convertFile(word, settings, report); },
    };
    return program;
}

} // namespace zem2mid
