// The compile switches a score is checked with: the 16 bits of the
// compiler's -F switch, from the client's initializationOptions
// ("compileSwitches") or from a ".kvtrc" file in the score's folder, which
// wins.  A .kvtrc holds the number as -F takes it: decimal, «&» hex or «.»
// binary; lines starting with "#" are remarks.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace kvtls {

// The value of a "compileSwitches" option: a number or a text as -F takes it.
std::optional<uint16_t> switchesFromOption(const nlohmann::json& value);

// The switches of the .kvtrc beside the file `uri` names, if it has one.
std::optional<uint16_t> switchesBeside(const std::string& uri);

// The path of a file:// URI (percent escapes decoded); empty for others.
std::string pathOfUri(const std::string& uri);

} // namespace kvtls
