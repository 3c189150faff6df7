#include "platform/ini_file.h"

#include "platform/full_transfer.h"

#include "ini_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace platform {

namespace {

// Serialises the read-modify-write of every profile file of the process.
std::mutex writeLock;

std::optional<std::string> readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeAll(int fd, const std::string& text)
{
    const auto writeFrom = [&](size_t done) { return ::write(fd, text.data() + done, text.size() - done); };
    return transferFully(text.size(), writeFrom) == text.size();
}

// The file a path names once symbolic links are followed (the path itself
// when it is none, or a link that leads nowhere yet).  A settings file kept
// elsewhere through a link stays a link: its target is what gets replaced.
std::string linkTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path at = path;
    std::error_code error;
    // As many links as the system itself follows before it gives up.
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(at, error)); ++hops) {
        const fs::path next = fs::read_symlink(at, error);
        if (error) break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at.string();
}

// Replaces path by text through a temporary file beside it, keeping the
// old file's permissions.
bool replaceFile(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

bool hasAny(std::string_view text, std::string_view characters)
{
    return text.find_first_of(characters) != std::string_view::npos;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

void setEntry(ini::Lines& lines, const IniEntry& e)
{
    const std::string line = e.key + "=" + e.value;
    const auto found = ini::findSection(lines, e.section);
    if (!found) {
        if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
        lines.push_back("[" + e.section + "]");
        lines.push_back(line);
    } else if (const auto at = ini::findKey(lines, *found, e.key)) {
        lines[*at] = std::string(ini::entryOf(lines[*at])->key) + "=" + e.value;
    } else {
        // After the section's last entry, before any blank lines that end it.
        size_t end = found->end;
        while (end > found->header + 1 && lines[end - 1].find_first_not_of(" \t") == std::string::npos) --end;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), line);
    }
}

} // namespace

int parseProfileInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char prefix = static_cast<char>(text[i + 1] | 0x20);
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            digit = unsigned((c | 0x20) - 'a' + 10);
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return static_cast<int>(negative ? 0u - value : value);
}

std::optional<std::string> IniFile::readText(std::string_view section, std::string_view key) const
{
    const auto text = readWhole(path_);
    if (!text) return std::nullopt;
    const ini::Lines lines = ini::splitLines(*text);
    const auto found = ini::findSection(lines, section);
    if (!found) return std::nullopt;
    const auto line = ini::findKey(lines, *found, key);
    if (!line) return std::nullopt;
    std::string value(unquote(ini::entryOf(lines[*line])->value));
    if (value.size() > kIniValueBuffer - 1) value.resize(kIniValueBuffer - 1);
    return value;
}

int IniFile::readInt(std::string_view section, std::string_view key, int fallback) const
{
    const auto value = readText(section, key);
    return value && !value->empty() ? parseProfileInt(*value) : fallback;
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value)
{
    return write({IniEntry{std::string(section), std::string(key), std::string(value)}});
}

bool IniFile::write(const std::vector<IniEntry>& entries)
{
    for (const IniEntry& e : entries)
        if (e.section.empty() || e.key.empty() || hasAny(e.section, "]\r\n") || hasAny(e.key, "=\r\n") ||
            hasAny(e.value, "\r\n"))
            return false;
    std::lock_guard guard(writeLock);
    const std::string target = linkTarget(path_);
    const std::optional<std::string> old = readWhole(target);
    ini::Lines lines = ini::splitLines(old.value_or(""));
    for (const IniEntry& e : entries) setEntry(lines, e);
    const std::string text = ini::joinLines(lines);
    // A file that would not change is left alone.
    if (old && *old == text) return true;
    return replaceFile(target, text);
}

} // namespace platform
