// Timing what a player prints against what it sounds: a run whose output
// lines and a growing file (the MIDI recording, the sound capture) are
// stamped on one clock as they appear, and the note-ons of the exported
// MIDI file with their times.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zem_test {

struct TimedLine {
    double ms; // since the start of the run
    std::string text;
};

// When the watched file had grown to `bytes`.
struct GrowthSample {
    double ms;
    uint64_t bytes;
};

struct TimedRun {
    int status = -1;
    std::vector<TimedLine> out;
    std::vector<GrowthSample> growth;
};

// Runs `binary` with args in cwd (env: "NAME=value" added), standard error
// dropped, looking about every millisecond for new output lines and for
// the size of watchPath.  Killed after `limit`.
TimedRun runTimed(const std::string& binary, const std::vector<std::string>& args, const std::string& cwd,
                  const std::vector<std::string>& env, const std::string& watchPath, std::chrono::seconds limit);

// When the watched file first held `bytes`; the position of byte `bytes`
// inside the step that brought it is spread over that step's time at
// bytesPerMs (0: the step's end).
double grownTo(const std::vector<GrowthSample>& growth, uint64_t bytes, double bytesPerMs = 0);

// When each note-on of a recording MIDI device's file (path) reached the
// file, by the clock of the run that watched it grow.
std::vector<double> recordedNoteOns(const std::string& path, const std::vector<GrowthSample>& growth);

struct MidiNoteOn {
    double ms;
    int channel;
    int key;
};

// The note-ons of a Standard MIDI File in time order (tempo changes of any
// track applied; notes of one time in the order of their channels, each
// channel's in file order).
std::vector<MidiNoteOn> midiNoteOns(const std::vector<uint8_t>& file);

} // namespace zem_test
