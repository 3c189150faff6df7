#include "follow_host.h"

namespace frontend {

namespace {

const dp_options kHost = hostOptions();

int onNoteOn(void* user, int port, int track, int channel, int key, int velocity)
{
    const int result = kHost.note_on(user, port, track, channel, key, velocity);
    auto& h = static_cast<FollowHost&>(*static_cast<HostContext*>(user));
    if (h.player) h.follow.noteStarted(h.player, track, key, h.heard);
    return result;
}

} // namespace

dp_options followOptions()
{
    dp_options o = kHost;
    o.note_on = onNoteOn;
    return o;
}

} // namespace frontend
