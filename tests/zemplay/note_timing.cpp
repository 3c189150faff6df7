#include "note_timing.h"

#include "zemplay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zem_test {

namespace {

constexpr double kRate = 44100.0;

struct Clock {
    uint32_t units = 0;
    std::vector<double> notes;
};

int onUnit(void* user, uint32_t)
{
    ++static_cast<Clock*>(user)->units;
    return 0;
}

int onNoteOn(void* user, int, int, int, int, int velocity)
{
    auto* clock = static_cast<Clock*>(user);
    if (velocity > 0) clock->notes.push_back(clock->units);
    return 0;
}

} // namespace

std::vector<double> scoreNoteTimes(const std::vector<uint8_t>& image)
{
    Clock clock;
    dp_options options{};
    options.unit_passed = onUnit;
    options.note_on = onNoteOn;
    int error = 0;
    dp_player* player = dp_const(16, image.data(), image.size(), &options, sizeof options, &clock, &error);
    if (!player) return {};
    for (uint32_t ms = 0; ms < 3600000 && !player->finished(player); ++ms)
        player->advance_units(player, 1, DP_NORMAL_SPEED);
    player->close(player);
    return clock.notes;
}

std::vector<double> soundOnsets(const std::string& rawPath)
{
    std::ifstream in(rawPath, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int> level(bytes.size() / 4);
    for (size_t i = 0; i < level.size(); ++i) {
        const auto sample = [&](size_t at) {
            return int(int16_t(uint16_t(uint8_t(bytes[at])) | uint16_t(uint8_t(bytes[at + 1])) << 8));
        };
        level[i] = std::max(std::abs(sample(4 * i)), std::abs(sample(4 * i + 2)));
    }
    const int loudest = level.empty() ? 0 : *std::max_element(level.begin(), level.end());
    const int threshold = std::max(loudest / 10, 1);
    const size_t quiet = size_t(0.050 * kRate);
    std::vector<double> onsets;
    size_t lastLoud = 0;
    bool seenLoud = false;
    for (size_t i = 0; i < level.size(); ++i) {
        if (level[i] <= threshold) continue;
        if (!seenLoud || i - lastLoud >= quiet) onsets.push_back(double(i) * 1000.0 / kRate);
        seenLoud = true;
        lastLoud = i;
    }
    return onsets;
}

TimingResult compareTimes(const std::vector<double>& notes, const std::vector<double>& onsets)
{
    TimingResult result;
    result.notes = notes.size();
    result.onsets = onsets.size();
    const size_t n = std::min(notes.size(), onsets.size());
    if (n == 0) return result;
    double sum = 0, low = 1e12, high = -1e12;
    for (size_t i = 0; i < n; ++i) {
        const double offset = onsets[i] - notes[i];
        sum += offset;
        low = std::min(low, offset);
        high = std::max(high, offset);
    }
    result.latencyMs = sum / double(n);
    result.spreadMs = high - low;
    return result;
}

} // namespace zem_test
