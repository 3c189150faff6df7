// A recording host that also logs the voice and stream callbacks, hands out
// sample handles 1, 2, 3, ... and keeps the set of handles not yet freed.
#pragma once

#include "image_builder.h"
#include "recording_host.h"
#include "zemplay.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace zemtest {

class VoiceRecorder : public RecordingHost {
public:
    // The voice-playing callback answers this (bit 0 = still sounding).
    int playingAnswer = 1;
    bool hasPlayingCallback = true;
    // Load answers 0 (no sample) when set.
    bool loadFails = false;

    std::set<uintptr_t> liveHandles;
    // Calls that named a handle never given out or already freed.
    int staleHandleUses = 0;
    // Blocks from the allocate callback not yet given back.
    std::set<void*> liveBlocks;
    uintptr_t nextHandle = 1;

    // The recording host's callbacks with the voice and stream ones added.
    dp_options allOptions() const;
    void* user() { return static_cast<RecordingHost*>(this); }
    // Log lines of the voice and stream callbacks, without stamps.
    std::vector<std::string> voiceLog() const;
    // The same, then clears the log so the next take starts afresh.
    std::vector<std::string> takeVoiceLog();
};

// An image with its instance on a VoiceRecorder, one port unless told.
class VoiceSession : public Session {
public:
    VoiceSession(VoiceRecorder& host, const ImagePlan& plan, int ports = 1)
        : Session(host, host.allOptions(), plan, ports)
    {}
};

} // namespace zemtest
