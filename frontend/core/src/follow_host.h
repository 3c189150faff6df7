// The session's host with a tap on note-ons: each one is also told to the
// follow publisher with the command its track ran, so a console can list
// the notes as they are heard.
#pragma once

#include "follow_publisher.h"
#include "host_callbacks.h"

namespace frontend {

struct FollowHost : HostContext {
    FollowPublisher& follow;
    // When the unit being played is heard; set by the pass before each unit.
    FollowClock::time_point heard;
};

// hostOptions() with the note-on tap; pass a FollowHost* as the user value.
dp_options followOptions();

} // namespace frontend
