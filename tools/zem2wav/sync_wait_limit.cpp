#include "sync_wait_limit.h"

namespace zem2wav {

SyncWaitLimit::SyncWaitLimit(std::function<uint64_t()> now, uint64_t limitMs) : now_(std::move(now)), limitMs_(limitMs)
{
    waitingSince_.fill(kNotWaiting);
}

bool SyncWaitLimit::mayWait(int slot)
{
    uint64_t& since = waitingSince_[size_t(slot)];
    const uint64_t now = now_();
    if (since == kNotWaiting) since = now;
    return now - since < limitMs_;
}

void SyncWaitLimit::reached(int slot) { waitingSince_[size_t(slot)] = kNotWaiting; }

} // namespace zem2wav
