// The reserved-device check: refuses paths that would name a DOS device
// (CON, NUL, PRN, AUX, LPT0-9, COM0-9) or carry the "$" and "XXXX0" markers,
// so that files stay portable to systems where such names are devices.
// "/" and "\" count alike as separators.
#include "util/fileset.h"

#include <string>
#include <string_view>
#include <vector>

namespace util {

const char* const kConProofMessage = "CON\\CON-Proof affected.";

namespace {

struct Patterns {
    std::vector<std::string> anywhere;
    std::vector<std::string> at_end;
};

// Written with "/" because the path is compared after "\" became "/".
Patterns make_patterns()
{
    std::vector<std::string> devices = {"CON", "NUL", "PRN", "AUX"};
    for (char digit = '0'; digit <= '9'; ++digit) {
        devices.push_back(std::string("LPT") + digit);
    }
    for (char digit = '0'; digit <= '9'; ++digit) {
        devices.push_back(std::string("COM") + digit);
    }
    Patterns p;
    for (const std::string& device : devices) {
        p.anywhere.push_back("/" + device + "/");
        p.anywhere.push_back("/" + device + ".");
        p.at_end.push_back("/" + device);
    }
    for (const char* marker : {"/$", "$/", "$.", "XXXX0/", "XXXX0."}) {
        p.anywhere.emplace_back(marker);
    }
    for (const char* marker : {"$", "XXXX0"}) {
        p.at_end.emplace_back(marker);
    }
    return p;
}

} // namespace

bool conproof_hit(const char* path)
{
    if (path == nullptr) {
        return false;
    }
    static const Patterns patterns = make_patterns();
    std::string copy(path);
    for (char& c : copy) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c == '\\') {
            c = '/';
        }
    }
    std::string_view text(copy);
    for (const std::string& pattern : patterns.anywhere) {
        if (text.find(pattern) != std::string_view::npos) {
            return true;
        }
    }
    for (const std::string& pattern : patterns.at_end) {
        if (text.size() >= pattern.size() && text.substr(text.size() - pattern.size()) == pattern) {
            return true;
        }
    }
    return false;
}

} // namespace util
