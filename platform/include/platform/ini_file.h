// Profile (ini) files with the rules of the Windows profile calls:
// "[section]" lines, "key=value" lines, sections and keys compared without
// regard to letter case, ';' starting a comment line.
//
// Every call reads the file anew, so two objects on one path see each
// other's writes.  A write replaces the file atomically (a temporary file in
// the same folder, then rename), and writes from several threads of the
// process are serialised, so none is lost.  A write that changes nothing
// leaves the file untouched; a path that is a symbolic link has the file it
// leads to replaced, and stays a link.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Values are read as through a buffer of this many bytes (one is the NUL).
inline constexpr size_t kIniValueBuffer = 4096;

// The integer of a profile value: leading blanks skipped, an optional sign,
// an optional 0x / 0o / 0b prefix (else decimal), then digits up to the
// first other character; 0 when no digit follows.  Wraps like a 32-bit
// unsigned number.
int parseProfileInt(std::string_view text);

struct IniEntry {
    std::string section;
    std::string key;
    std::string value;
};

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // The value of key in section: blanks around it removed, one pair of
    // enclosing quotes (' or ") removed, cut to kIniValueBuffer - 1 bytes.
    // Empty when the file, the section or the key is missing.
    std::optional<std::string> readText(std::string_view section, std::string_view key) const;
    // The value as parseProfileInt reads it; fallback when the key is
    // missing or its value is empty.
    int readInt(std::string_view section, std::string_view key, int fallback) const;
    // Sets key in section (both created when missing; an existing key keeps
    // its spelling and place).  False, with the file unchanged, when it
    // cannot be written; a name holding '=' or a line break, or a section
    // holding ']' or a line break, is refused the same way.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    // Several keys in one replacement of the file, in order; none is written
    // when one of them is refused.
    bool write(const std::vector<IniEntry>& entries);

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace platform
