#include "audsink_bridge/sound_names.h"

#include <cctype>

namespace audsink_bridge {

std::optional<DecoderChoice> decoderChoice(const std::string& name)
{
    const size_t slash = name.rfind('/');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = last.rfind('.');
    if (dot == std::string::npos || dot + 1 == last.size()) return std::nullopt;
    DecoderChoice choice;
    std::string lowerExtension;
    for (size_t i = dot + 1; i < last.size(); ++i) {
        const auto c = static_cast<unsigned char>(last[i]);
        // Anything but letters and digits could make the decoder name a
        // path of its own choosing, or break a settings file.
        if (!std::isalnum(c) || c >= 0x80) return std::nullopt;
        lowerExtension += static_cast<char>(std::tolower(c));
        choice.upperExtension += static_cast<char>(std::toupper(c));
    }
    choice.defaultName = "qz" + lowerExtension + ".so";
    return choice;
}

std::string soundPath(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name.front() == '/') return name;
    return folder.empty() ? name : folder + "/" + name;
}

} // namespace audsink_bridge
