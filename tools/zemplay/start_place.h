// The places zemplay can start at: --from LINE[:COL] (a command of the
// text) and --at BAR[:BEAT] (the bar counter); every number counts from 1.
#pragma once

#include "frontend/score_follow.h"

#include <optional>
#include <string>

namespace console {

// switchName is "--from" or "--at"; none, with the reason in *error, when
// text is not such a place.
std::optional<frontend::StartPoint> parseStartPlace(const std::string& switchName, const std::string& text,
                                                    std::string* error);

} // namespace console
