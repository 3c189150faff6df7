#include "settings.h"

#include "common/switch_words.h"

#include <fstream>

namespace kvtls {

namespace {

// The number as the compiler driver's -F switch reads it.
std::optional<uint16_t> parseSwitches(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t\r");
    if (first == std::string::npos) return std::nullopt;
    const auto mask = tools::switchMaskOf(text.substr(first, last - first + 1));
    if (!mask) return std::nullopt;
    return static_cast<uint16_t>(*mask);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<uint16_t> switchesFromOption(const nlohmann::json& value)
{
    if (value.is_number_integer()) return static_cast<uint16_t>(value.get<int64_t>());
    if (value.is_string()) return parseSwitches(value.get<std::string>());
    return std::nullopt;
}

std::string pathOfUri(const std::string& uri)
{
    const std::string scheme = "file://";
    if (uri.compare(0, scheme.size(), scheme) != 0) return {};
    std::string path;
    for (size_t i = scheme.size(); i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && hexDigit(uri[i + 1]) >= 0 && hexDigit(uri[i + 2]) >= 0) {
            path += static_cast<char>(hexDigit(uri[i + 1]) * 16 + hexDigit(uri[i + 2]));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

std::optional<uint16_t> switchesBeside(const std::string& uri)
{
    const std::string path = pathOfUri(uri);
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    std::ifstream in(path.substr(0, slash + 1) + ".kvtrc");
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        return parseSwitches(line);
    }
    return std::nullopt;
}

} // namespace kvtls
