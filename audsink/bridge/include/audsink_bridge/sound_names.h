// The file a sample or stream name means, and the decoder library that
// reads it.
#pragma once

#include <optional>
#include <string>

namespace audsink_bridge {

// The decoder library for a file name: "qz" + extension + ".so" unless the
// host names another; none when the last path component's extension is
// empty or holds anything but letters and digits.
struct DecoderChoice {
    std::string upperExtension; // the key a host may look the library up by
    std::string defaultName;
};
std::optional<DecoderChoice> decoderChoice(const std::string& name);

// A name starting with "/" stays as it is; any other is taken in `folder`
// (the piece's folder, without a trailing "/"; "" for the current one).
std::string soundPath(const std::string& folder, const std::string& name);

} // namespace audsink_bridge
