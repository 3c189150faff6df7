#include "render_switches.h"

#include "common/option_words.h"
#include "common/run_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zem2wav {

namespace {

constexpr const char* kLoudness = "--loudness";
constexpr const char* kOutputMissing = "-o needs the name of the output file.";

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
    const tools::OptionTable table{
        {
            {"-o", tools::OptionValue::NextWord,
             [&options](const std::string& value) -> std::string {
                 if (value.empty()) return kOutputMissing;
                 options.outputName = value;
                 return {};
             },
             kOutputMissing},
            {kLoudness, tools::OptionValue::AfterEquals,
             [&options](const std::string& value) -> std::string {
                 double lufs = 0;
                 if (!readLoudness(value, lufs))
                     return "--loudness takes a loudness from -70 to 0 LUFS, not \"" + value + "\".";
                 options.loudnessLufs = lufs;
                 return {};
             },
             "--loudness needs a loudness in LUFS."},
        },
        [&rest](const std::string& word) {
            rest.push_back(word);
            return std::string();
        },
    };
    std::string message = tools::readOptionWords(words, table);
    if (!message.empty()) return message;
    const auto files =
        std::count_if(rest.begin(), rest.end(), [](const std::string& w) { return !tools::isSwitchWord(w); });
    if (!options.outputName.empty() && files != 1) return "-o names the output of exactly one file.";
    words = std::move(rest);
    return {};
}

} // namespace zem2wav
