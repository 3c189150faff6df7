// Detectors that find a musical feature in what the engine played, so a
// test can tell that an example really shows what it is meant to show.
// Each one explains what it found when it fails.
#pragma once

#include "example_performance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace examples_test {

using Detector = testing::AssertionResult (*)(const Performance&);

struct Feature {
    const char* name;
    Detector detect;
};

// Looks a feature up by name; null when there is none of that name.
const Feature* findFeature(const std::string& name);

// A note as it sounded: from its note on to the note off of the same key
// and channel (endMs of the performance when never released).
struct SoundedNote {
    uint32_t on = 0;
    uint32_t off = 0;
    int channel = 0;
    int key = 0;
    int velocity = 0;
    bool released = false;
};

std::vector<SoundedNote> soundedNotes(const Performance& perf);

} // namespace examples_test
