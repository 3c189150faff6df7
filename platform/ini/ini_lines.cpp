#include "ini_lines.h"

#include <strings.h>

namespace platform::ini {

namespace {

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The name of a "[name]" line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

} // namespace

Lines splitLines(const std::string& text)
{
    Lines lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string joinLines(const Lines& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::optional<Entry> entryOf(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Entry{trim(trimmed.substr(0, equals)), trim(trimmed.substr(equals + 1))};
}

std::optional<Section> findSection(const Lines& lines, std::string_view name)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto found = sectionName(lines[i]);
        if (!found || !sameName(*found, name)) continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end])) ++end;
        return Section{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> findKey(const Lines& lines, const Section& section, std::string_view key)
{
    for (size_t i = section.header + 1; i < section.end; ++i) {
        const auto entry = entryOf(lines[i]);
        if (entry && sameName(entry->key, key)) return i;
    }
    return std::nullopt;
}

} // namespace platform::ini
