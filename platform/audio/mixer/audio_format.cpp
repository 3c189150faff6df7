#include "platform/audio.h"

namespace platform {

bool AudioFormat::isValid() const
{
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
           sampleRate >= kAudioFrequencyMin && sampleRate <= kAudioFrequencyMax;
}

} // namespace platform
