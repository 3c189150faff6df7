#include "render_switches.h"

#include "common/run_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zem2wav {

namespace {

// --loudness=-16 and --loudness -16 alike.
constexpr const char* kLoudness = "--loudness";

bool readLoudness(const std::string& text, double& lufs)
{
    if (text.empty()) return false;
    char* end = nullptr;
    lufs = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(lufs) && lufs >= kMinLoudnessLufs && lufs <= kMaxLoudnessLufs;
}

} // namespace

std::string takeRenderSwitches(std::vector<std::string>& words, RenderOptions& options)
{
    std::vector<std::string> rest;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool hasNext = i + 1 < words.size();
        if (word == "-o") {
            if (!hasNext || words[i + 1].empty()) return "-o needs the name of the output file.";
            options.outputName = words[++i];
        } else if (word == kLoudness || word.rfind(std::string(kLoudness) + "=", 0) == 0) {
            const bool joined = word != kLoudness;
            if (!joined && !hasNext) return "--loudness needs a loudness in LUFS.";
            const std::string value = joined ? word.substr(word.find('=') + 1) : words[++i];
            double lufs = 0;
            if (!readLoudness(value, lufs))
                return "--loudness takes a loudness from -70 to 0 LUFS, not \"" + value + "\".";
            options.loudnessLufs = lufs;
        } else {
            rest.push_back(word);
        }
    }
    const auto files =
        std::count_if(rest.begin(), rest.end(), [](const std::string& w) { return !tools::isSwitchWord(w); });
    if (!options.outputName.empty() && files != 1) return "-o names the output of exactly one file.";
    words = std::move(rest);
    return {};
}

} // namespace zem2wav
