#include "command_line.h"

#include "start_place.h"

#include "common/option_words.h"
#include "common/switch_words.h"

#include <cstdlib>

namespace console {

namespace {

std::optional<uint32_t> count(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

// One row per option; a value that a row refuses is named in its message.
tools::OptionTable optionTable(CommandLine& line, tools::InfoRequest& request)
{
    using tools::OptionValue;
    std::vector<tools::OptionRow> rows = {
        {"--list", OptionValue::None,
         [&line](const std::string&) {
             line.action = Action::List;
             return std::string();
         }},
        {"-F", OptionValue::Attached,
         [&line](const std::string& value) {
             const auto mask = tools::switchMaskOf(value);
             if (!mask) return "illegal switches: " + value;
             line.switches = static_cast<uint16_t>(*mask);
             return std::string();
         }},
        {"-p", OptionValue::Attached,
         [&line](const std::string& value) {
             line.port = value;
             return std::string();
         }},
        {"-L", OptionValue::Attached,
         [&line](const std::string& value) {
             const auto n = count(value);
             if (!n) return "illegal loop count: " + value;
             line.loops = *n;
             return std::string();
         }},
        {"--follow", OptionValue::None,
         [&line](const std::string&) {
             line.follow = true;
             return std::string();
         }},
    };
    for (const char* place : {"--from", "--at"})
        rows.push_back({place, OptionValue::NextWord, [&line, place](const std::string& value) {
                            if (line.start) return std::string("one of --from and --at only");
                            std::string why;
                            line.start = parseStartPlace(place, value, &why);
                            return why;
                        }});
    const std::vector<tools::OptionRow> info = tools::infoRows(request);
    rows.insert(rows.end(), info.begin(), info.end());
    return {
        rows,
        [&line](const std::string& word) -> std::string {
            if (word.size() >= 2 && word[0] == '-') return "unknown option " + word;
            if (!line.file.empty()) return "one file only";
            line.file = word;
            return {};
        },
    };
}

} // namespace

std::optional<CommandLine> parseCommandLine(int argc, char** argv, std::string* error)
{
    CommandLine line;
    tools::InfoRequest request = tools::InfoRequest::None;
    *error = tools::readOptionWords({argv + 1, argv + argc}, optionTable(line, request));
    if (error->empty() && request == tools::InfoRequest::Help) return CommandLine{Action::Help};
    if (error->empty() && request == tools::InfoRequest::Version) return CommandLine{Action::Version};
    if (error->empty() && line.action == Action::Play && line.file.empty()) *error = "no file";
    if (!error->empty()) return std::nullopt;
    return line;
}

} // namespace console
