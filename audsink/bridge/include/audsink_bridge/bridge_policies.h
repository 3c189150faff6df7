// What a host decides about the sound bridge: where its failures go, which
// decoder library reads a file, what happens before each request, and how
// long a stream sync may hold a track.
#pragma once

#include "audsink_bridge/sound_names.h"

#include <functional>
#include <string>

namespace audsink_bridge {

inline constexpr int kStreamSlots = 16;

// The stream requests whose refusals are reported: "stropen", "strclose",
// "strplay", "strstop".
enum class StreamRequest { Open, Close, Play, Stop };
enum class StreamFailureCode {
    UnsupportedSlot, // the slot is not 0 to 15: the request was refused
    CannotOpen,      // the open was carried out and failed, seen by a sync
};
struct StreamFailure {
    StreamRequest request = StreamRequest::Open;
    int slot = 0;
    StreamFailureCode code = StreamFailureCode::UnsupportedSlot;

    bool operator==(const StreamFailure&) const = default;
};

// How long a track may wait on a stream sync.  This default waits as long
// as it takes.
class SyncWait {
public:
    virtual ~SyncWait() = default;
    // The state `slot` waits for is not reached: true to keep waiting.
    virtual bool mayWait(int /*slot*/) { return true; }
    // The state `slot` waited for is reached.
    virtual void reached(int /*slot*/) {}
};

// What a host decides.  An empty entry takes the default written beside it.
struct BridgePolicies {
    // Each refused stream request and each open seen failing; default:
    // dropped.
    std::function<void(const StreamFailure&)> streamFailure;
    // The decoder library for a file; default: its default name.
    std::function<std::string(const DecoderChoice&)> decoder;
    // Called as every request arrives, before anything else; an offline
    // host renders up to the request's time here.  Default: nothing.
    std::function<void()> beforeRequest;
    // Called as every sample load or duplicate request arrives, before it
    // is carried out: a real-time host knows that wall-clock time may pass
    // that the song did not.  Default: nothing.
    std::function<void()> loading;
    // Each sample or stream file a request names, resolved against the
    // piece's folder, before anything is opened.  Default: nothing.
    std::function<void(const std::string&)> fileNamed;
    // Default: waits as long as it takes.  Outlives the bridge.
    SyncWait* syncWait = nullptr;
};

} // namespace audsink_bridge
