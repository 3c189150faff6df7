// A progress bar on standard error, drawn only when it is a terminal.
#pragma once

#include <cstdint>

namespace zem2wav {

class ProgressBar {
public:
    // total: the song's length in milliseconds (0 draws nothing).
    explicit ProgressBar(uint64_t totalMs);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(uint64_t doneMs);

private:
    uint64_t totalMs_;
    int drawnPercent_ = -1;
};

// Whether standard error is a terminal.
bool progressWanted();

} // namespace zem2wav
