// How long a rendered song may wait on a stream sync: a score waiting on a
// stream that loops for ever, or one opened and never played, would render
// without end; after the limit it goes on as if the wait were over.
#pragma once

#include "audsink_bridge/bridge_policies.h"

#include <array>
#include <cstdint>
#include <functional>

namespace zem2wav {

inline constexpr uint64_t kMaxSyncWaitMs = 60000;

class SyncWaitLimit final : public audsink_bridge::SyncWait {
public:
    // `now` is the song time in milliseconds.
    SyncWaitLimit(std::function<uint64_t()> now, uint64_t limitMs = kMaxSyncWaitMs);

    bool mayWait(int slot) override;
    void reached(int slot) override;

private:
    static constexpr uint64_t kNotWaiting = UINT64_MAX;

    std::function<uint64_t()> now_;
    uint64_t limitMs_;
    // Song time at which each slot's unmet wait began.
    std::array<uint64_t, audsink_bridge::kStreamSlots> waitingSince_;
};

} // namespace zem2wav
