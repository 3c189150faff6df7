#include "timed_queue.h"

namespace platform {

void TimedQueue::send(const TimedMessage& message)
{
    if (message.length == 0)
        synth_.shortMessage(message.port, message.packed);
    else
        synth_.exclusive(message.port, message.bytes.data(), message.length);
}

void TimedQueue::push(const TimedMessage& message, bool atOnce)
{
    std::lock_guard guard(lock_);
    if (count_ == 0 && atOnce) {
        send(message);
        return;
    }
    if (count_ == kCapacity) {
        send(ring_[head_]);
        head_ = (head_ + 1) % kCapacity;
        --count_;
    }
    ring_[(head_ + count_) % kCapacity] = message;
    ++count_;
}

void TimedQueue::sendDue(uint64_t end)
{
    std::lock_guard guard(lock_);
    while (count_ > 0 && ring_[head_].frame < end) {
        send(ring_[head_]);
        head_ = (head_ + 1) % kCapacity;
        --count_;
    }
}

} // namespace platform
