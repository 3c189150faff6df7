#include "meter_thread.h"

#include <new>

namespace zem2wav {

namespace {

// About six seconds of sound may wait to be measured.
constexpr size_t kMostPendingSamples = size_t{1} << 19;

} // namespace

MeterThread::MeterThread() : thread_([this] { serve(); }) {}

MeterThread::~MeterThread()
{
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void MeterThread::add(const int16_t* stereo, size_t frames)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pendingSamples_ < kMostPendingSamples || failed_; });
    if (failed_) throw std::bad_alloc();
    pending_.emplace_back(stereo, stereo + 2 * frames);
    pendingSamples_ += 2 * frames;
    changed_.notify_all();
}

Loudness MeterThread::result() const
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (pending_.empty() && !measuring_) || failed_; });
    if (failed_) throw std::bad_alloc();
    return meter_.result();
}

void MeterThread::serve()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !pending_.empty() || quitting_; });
        if (pending_.empty()) return;
        std::vector<int16_t> samples = std::move(pending_.front());
        pending_.pop_front();
        measuring_ = true;
        lock.unlock();
        bool measured = true;
        try {
            meter_.add(samples.data(), samples.size() / 2);
        } catch (const std::bad_alloc&) {
            measured = false;
        }
        lock.lock();
        measuring_ = false;
        failed_ = failed_ || !measured;
        pendingSamples_ -= samples.size();
        changed_.notify_all();
    }
}

} // namespace zem2wav
