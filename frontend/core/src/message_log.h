// The message pane's lines, collected from whichever thread writes them
// and taken by the window on its timer.
#pragma once

#include "frontend/session.h"

#include <mutex>
#include <string>
#include <vector>

namespace frontend {

class MessageLog {
public:
    void add(const std::string& line)
    {
        std::lock_guard guard(lock_);
        pending_.lines.push_back(line);
    }
    // The pane is emptied: lines not yet taken are dropped with it.
    void clear()
    {
        std::lock_guard guard(lock_);
        pending_.lines.clear();
        pending_.cleared = true;
    }
    MessageBatch take()
    {
        std::lock_guard guard(lock_);
        MessageBatch batch = std::move(pending_);
        pending_ = {};
        return batch;
    }

private:
    std::mutex lock_;
    MessageBatch pending_;
};

} // namespace frontend
