// The lock around every call into the device and its buffers, and the
// guard that holds it for one call.
#pragma once

#include <condition_variable>
#include <mutex>
#include <utility>

namespace audsink {

// A lock that one thread may take and another release (slots 18 to 20),
// costing no system call while nobody waits for it.
class DeviceLock {
public:
    void acquire()
    {
        std::unique_lock guard(mutex_);
        free_.wait(guard, [this] { return !held_; });
        held_ = true;
    }
    bool try_acquire()
    {
        std::lock_guard guard(mutex_);
        return !std::exchange(held_, true);
    }
    void release()
    {
        {
            std::lock_guard guard(mutex_);
            held_ = false;
        }
        free_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable free_;
    bool held_ = false;
};

// Holds the device lock for one call into the device or a buffer.
class DeviceCall {
public:
    explicit DeviceCall(DeviceLock& lock) : lock_(lock) { lock_.acquire(); }
    ~DeviceCall() { lock_.release(); }
    DeviceCall(const DeviceCall&) = delete;
    DeviceCall& operator=(const DeviceCall&) = delete;

private:
    DeviceLock& lock_;
};

} // namespace audsink
