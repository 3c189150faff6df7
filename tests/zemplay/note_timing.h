// Timing of a real-time playback: where each note of a score starts in the
// sound that a player rendered, against its time in the score.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zem_test {

// The note-on times of an image in milliseconds, playing it through the
// engine one millisecond at a time as the MIDI file exporter does.
std::vector<double> scoreNoteTimes(const std::vector<uint8_t>& image);

// The onsets (milliseconds from the start) of the hits in raw 16-bit
// stereo sound at 44100 Hz: the first sample above a tenth of the loudest
// after at least 50 ms below it.
std::vector<double> soundOnsets(const std::string& rawPath);

struct TimingResult {
    size_t notes = 0;
    size_t onsets = 0;
    double latencyMs = 0; // the mean of onset minus note time
    double spreadMs = 0;  // the largest minus the smallest of them
};
TimingResult compareTimes(const std::vector<double>& notes, const std::vector<double>& onsets);

} // namespace zem_test
