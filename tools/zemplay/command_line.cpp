#include "command_line.h"
#include "start_place.h"

#include "util/uerr.h"
#include "zemc/driver_switches.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace zemplay {

namespace {

// The value of -X: the rest of the word, or the next word.
std::optional<std::string> valueOf(int argc, char** argv, int& i)
{
    if (argv[i][2] != '\0') return std::string(argv[i] + 2);
    if (i + 1 >= argc) return std::nullopt;
    return std::string(argv[++i]);
}

std::optional<uint32_t> count(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

// The compiler drivers' reading of a -F number.
std::optional<uint16_t> switchMask(const std::string& text)
{
    try {
        const auto parsed = zemc_driver::parseSwitches({"-F" + text}, tools::TrailingText::IsIllegal);
        return static_cast<uint16_t>(parsed.flags);
    } catch (const util::UerrRaised&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<CommandLine> parseCommandLine(int argc, char** argv, std::string* error)
{
    CommandLine line;
    const auto fail = [&](const std::string& why) -> std::optional<CommandLine> {
        *error = why;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help") return CommandLine{Action::Help};
        if (word == "--version") return CommandLine{Action::Version};
        if (word == "--list") {
            line.action = Action::List;
            continue;
        }
        if (word == "--follow") {
            line.follow = true;
            continue;
        }
        if (word == "--from" || word == "--at") {
            if (i + 1 >= argc) return fail(word + " needs a value");
            if (line.start) return fail("one of --from and --at only");
            std::string why;
            line.start = console::parseStartPlace(word, argv[++i], &why);
            if (!line.start) return fail(why);
            continue;
        }
        if (word.size() >= 2 && word[0] == '-') {
            const char letter = word[1];
            const auto value = valueOf(argc, argv, i);
            if (!value) return fail(std::string("-") + letter + " needs a value");
            if (letter == 'F') {
                const auto mask = switchMask(*value);
                if (!mask) return fail("illegal switches: " + *value);
                line.switches = *mask;
            } else if (letter == 'p') {
                line.port = *value;
            } else if (letter == 'L') {
                const auto n = count(*value);
                if (!n) return fail("illegal loop count: " + *value);
                line.loops = *n;
            } else {
                return fail("unknown option " + word);
            }
            continue;
        }
        if (!line.file.empty()) return fail("one file only");
        line.file = word;
    }
    if (line.action == Action::Play && line.file.empty()) return fail("no file");
    return line;
}

} // namespace zemplay
