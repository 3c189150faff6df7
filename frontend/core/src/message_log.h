// The session's messages, collected from whichever thread reports them and
// taken by the front end on its timer.
#pragma once

#include "frontend/messages.h"

#include <mutex>

namespace frontend {

class MessageLog {
public:
    void add(Message message)
    {
        std::lock_guard guard(lock_);
        pending_.messages.push_back(std::move(message));
    }
    // The pane is emptied: messages not yet taken are dropped with it.
    void clear()
    {
        std::lock_guard guard(lock_);
        pending_.messages.clear();
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
