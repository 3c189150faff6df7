// Compiles an example score through the compiler library and plays the
// image through the engine in simulated time, one millisecond per step,
// keeping every event the engine delivers with its song time.
#pragma once

#include "recording_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace examples_test {

using zemtest::EngineError;
using zemtest::Event;
using zemtest::EventKind;
using zemtest::LoopPass;

struct Performance {
    int constError = -1; // dp_const's error output (0 = image accepted)
    std::vector<Event> events;
    std::vector<EngineError> errors;
    std::vector<LoopPass> loopPasses;
    uint32_t endMs = 0; // song time when every track had ended, or the limit
    bool finished = false;
    int trackCount = 0;
    std::string title;
    std::string notice;
};

struct Compiled {
    int32_t result = 0;
    std::string message; // the compiler's message, empty on success
    std::vector<uint8_t> image;
};

// The example scores: the names of the .kvt files of the examples folder,
// sorted.
std::vector<std::string> exampleScores();
std::string examplePath(const std::string& name);

Compiled compileScore(const std::string& path);

// Plays until every track has ended or `limitMs` of song time has passed.
// Endless loops are left at their pass `leaveAtPass` (1 = after the first).
Performance perform(const std::vector<uint8_t>& image, uint32_t leaveAtPass, uint32_t limitMs);

} // namespace examples_test
