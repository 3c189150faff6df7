#include "voice.h"

namespace platform::audio {

SampleData::SampleData(uint32_t bytesSize) : bytes(new uint8_t[bytesSize]), size(bytesSize) {}

Voice::Voice(uint32_t createFlags, const AudioFormat& bufferFormat, std::shared_ptr<SampleData> sampleData)
    : flags(createFlags), format(bufferFormat), data(std::move(sampleData)), resampler(bufferFormat.channels)
{
    control.frequency = bufferFormat.sampleRate;
}

} // namespace platform::audio
