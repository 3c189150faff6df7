// The text of a profile file as lines, and where a section and a key lie.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ini {

using Lines = std::vector<std::string>;

Lines splitLines(const std::string& text);
std::string joinLines(const Lines& lines);

// The parts of a "key=value" line, blanks trimmed; empty for other lines.
struct Entry {
    std::string_view key;
    std::string_view value;
};
std::optional<Entry> entryOf(std::string_view line);

// The range of a section: the header line and one past its last line.
struct Section {
    size_t header;
    size_t end;
};
std::optional<Section> findSection(const Lines& lines, std::string_view name);
// The line of key within section, if present.
std::optional<size_t> findKey(const Lines& lines, const Section& section, std::string_view key);

} // namespace platform::ini
