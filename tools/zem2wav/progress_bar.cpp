#include "progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace zem2wav {

namespace {

constexpr int kBarWidth = 40;

void printTime(uint64_t ms)
{
    std::fprintf(stderr, "%llu:%02llu", static_cast<unsigned long long>(ms / 60000),
                 static_cast<unsigned long long>(ms / 1000 % 60));
}

} // namespace

bool progressWanted() { return ::isatty(STDERR_FILENO) == 1; }

ProgressBar::ProgressBar(uint64_t totalMs) : totalMs_(totalMs) {}

ProgressBar::~ProgressBar()
{
    if (drawnPercent_ >= 0) std::fputc('\n', stderr);
}

void ProgressBar::update(uint64_t doneMs)
{
    if (totalMs_ == 0) return;
    if (doneMs > totalMs_) doneMs = totalMs_;
    const int percent = static_cast<int>(doneMs * 100 / totalMs_);
    if (percent == drawnPercent_) return;
    drawnPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    std::fputs("\r[", stderr);
    for (int i = 0; i < kBarWidth; ++i) std::fputc(i < filled ? '#' : '.', stderr);
    std::fprintf(stderr, "] %3d%% ", percent);
    printTime(doneMs);
    std::fputs(" / ", stderr);
    printTime(totalMs_);
    std::fflush(stderr);
}

} // namespace zem2wav
