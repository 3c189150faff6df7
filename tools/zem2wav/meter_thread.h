// A loudness meter that measures on a thread of its own, so that measuring
// a render does not hold up the synthesizer's thread.
#pragma once

#include "loudness.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace zem2wav {

class MeterThread {
public:
    MeterThread();
    ~MeterThread();
    MeterThread(const MeterThread&) = delete;
    MeterThread& operator=(const MeterThread&) = delete;

    // Copies the frames (interleaved left/right, 44100 Hz) for measuring;
    // waits only while much is still unmeasured.
    void add(const int16_t* stereo, size_t frames);
    // Waits until everything added is measured.
    Loudness result() const;

private:
    void serve();

    LoudnessMeter meter_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<std::vector<int16_t>> pending_;
    size_t pendingSamples_ = 0;
    bool measuring_ = false;
    bool failed_ = false;
    bool quitting_ = false;
    std::thread thread_;
};

} // namespace zem2wav
