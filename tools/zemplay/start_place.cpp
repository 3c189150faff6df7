#include "start_place.h"

#include <cstdlib>

namespace console {

namespace {

// A number from 1 that fits the engine's counters.
std::optional<uint32_t> positive(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const auto value = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    return value == 0 ? std::nullopt : std::optional(value);
}

} // namespace

std::optional<frontend::StartPoint> parseStartPlace(const std::string& switchName, const std::string& text,
                                                    std::string* error)
{
    const bool source = switchName == "--from";
    const size_t colon = text.find(':');
    const auto first = positive(text.substr(0, colon));
    const auto second = colon == std::string::npos ? std::optional<uint32_t>(source ? 0 : 1)
                                                   : positive(text.substr(colon + 1));
    if (!first || !second) {
        *error = "illegal place for " + switchName + ": " + text + (source ? " (LINE[:COLUMN])" : " (BAR[:BEAT])") +
                 ", counted from 1";
        return std::nullopt;
    }
    frontend::StartPoint start;
    if (source) {
        start.kind = frontend::StartPoint::Kind::Source;
        start.line = *first;
        start.column = *second;
    } else {
        start.kind = frontend::StartPoint::Kind::Bar;
        start.bar = *first;
        start.beat = *second;
    }
    return start;
}

} // namespace console
