// Renders a decodable file to a PCM RIFF WAVE file.
#pragma once

#include "instance.h"

namespace audsink {

struct RenderRequest {
    const char* file;
    const char* decoder;
    intptr_t pcm;
    intptr_t extra;
    intptr_t mode;
    const char* output;
    ds8_length_fn length;
    ds8_progress_fn progress;
};

// 0 on success, 1 on failure.
int renderWave(Instance& instance, const RenderRequest& request);

} // namespace audsink
