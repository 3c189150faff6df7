// A follow source that plays back a scripted sequence of frames, and the
// commands of a score's tracks to script them from.
#pragma once

#include "frontend/score_follow.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace score_test {

class RecordedSource : public frontend::FollowSource {
public:
    // The current frame; the last one once the script has run out, none
    // before the first.
    frontend::FollowFrame followFrame() const override;
    bool playFrom(const frontend::StartPoint& start) override;

    std::vector<frontend::FollowFrame> frames;
    size_t current = 0;
    bool acceptStarts = true;
    std::vector<frontend::StartPoint> starts;
};

// The note and rest commands of each track (by the number «#n» selects it
// with; text before the first «#» is track 0), in text order, each with its
// parameters: what a source map gives a playing track.
std::map<uint8_t, std::vector<kvt::SourceRange>> soundingCommands(const std::string& text);

frontend::TrackPlace place(uint8_t trackNumber, kvt::SourceRange command, bool ended = false);

} // namespace score_test
