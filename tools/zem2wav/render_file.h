// Rendering one ZEM image (or KVT source) named on the command line to a
// WAVE file through the built-in synthesizer.
#pragma once

#include "render_options.h"

#include "common/run_files.h"
#include "host/song_playback.h"

#include <cstdint>
#include <string>

namespace zem2wav {

// After the song, rendering goes on until the synthesizer is silent, but
// for no more than this.
inline constexpr uint32_t kMaxTailMs = 5000;
inline constexpr double kSynthGain = 0.2;

struct RenderSettings {
    host::PlaybackSettings playback;
    uint32_t limitMinutes; // the longest song rendered
    unsigned threads;      // threads rendering the synthesizer's voices
    RenderOptions output;  // the output's name and format, and its loudness
};

// Resolves the name (default extension "ZEM", letter case as stored),
// measures the song and refuses one longer than the limit, plays it with
// the exporter's loop, delay, fade and device mask in one pass for all
// tracks, and writes NAME.WAV beside it (or the output the options name, in
// the format its ending chooses); an existing one is moved to its backup
// name once the new one is complete, unless the song plays it.  Prints
// "PATH: SECONDS s" and the render's loudness on success.  Returns 0, or -1 after reporting the
// failure; codes that are not about this file are raised on to the
// caller's frame.
int32_t renderFile(const std::string& word, const RenderSettings& settings, tools::ReportFn report);

} // namespace zem2wav
