// Generates KVT texts from a seed: many tracks of notes, controllers,
// loops, chords and slurs, optionally with one faulty command placed late.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvt_test {

struct GeneratorOptions {
    uint32_t seed = 1;
    size_t targetBytes = 4096;
    // Tracks are drawn from 0 .. trackNumbers - 1 (at most 256).
    unsigned trackNumbers = 16;
    // Blocks go to tracks in turn (0, 1, 2 ...) instead of at random.
    bool roundRobin = false;
    // Some blocks hold nothing that makes a track present, and some
    // selections name lists and ranges.
    bool varyPresence = false;
    // One faulty command somewhere in the last half of the text.
    bool withError = false;
};

std::string generateKvtText(const GeneratorOptions& options);

} // namespace kvt_test
