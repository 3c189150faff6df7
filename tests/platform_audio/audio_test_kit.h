// Helpers shared by the audio tests: signals, buffers filled through
// lock/unlock, offline rendering and simple measurements.
#pragma once

#include "platform/audio.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace audio_test {

inline constexpr uint32_t kRate = 44100;
inline constexpr uint32_t kAllControls = platform::kAudioBufferCtrlFrequency | platform::kAudioBufferCtrlPan |
                                         platform::kAudioBufferCtrlVolume;
// The flags one-shot sounds are created with.
inline constexpr uint32_t kSoundFlags = 0x480E0;

inline platform::AudioFormat format(uint16_t channels, uint16_t bits, uint32_t rate = kRate)
{
    return platform::AudioFormat{channels, bits, rate};
}

// Interleaved frames of a sine, the same on every channel.
std::vector<int16_t> sine(uint32_t frames, uint16_t channels, double hertz, uint32_t rate = kRate,
                          double amplitude = 16000);
// Little-endian bytes of 16-bit samples.
std::vector<uint8_t> bytesOf(const std::vector<int16_t>& samples);

// An offline device playing format (16-bit stereo 44.1 kHz by default).
std::unique_ptr<platform::OfflineAudioDevice> offlineDevice(const platform::AudioFormat& primary = format(2, 16));
// A buffer holding bytes, written through lock and unlock; fails the test
// (returns null) when any call fails.
std::unique_ptr<platform::AudioBuffer> bufferWith(platform::AudioDevice& device, const platform::AudioFormat& format,
                                                  const std::vector<uint8_t>& bytes, uint32_t flags = kAllControls);
// Writes bytes at offset through lock and unlock.
void writeAt(platform::AudioBuffer& buffer, uint32_t offset, const std::vector<uint8_t>& bytes);

// frames of a 16-bit device's output.
std::vector<int16_t> render16(platform::OfflineAudioDevice& device, uint32_t frames);
// One channel of interleaved samples.
std::vector<int16_t> channelOf(const std::vector<int16_t>& samples, uint16_t channel, uint16_t channels);

int peak(const std::vector<int16_t>& samples);
// Frequency of a sine from its rising zero crossings.
double dominantHertz(const std::vector<int16_t>& mono, uint32_t rate = kRate);
// Index one past the last sample of magnitude above threshold (0 if none).
size_t soundingLength(const std::vector<int16_t>& mono, int threshold = 64);
// Largest difference between neighbouring samples.
int largestStep(const std::vector<int16_t>& mono);

} // namespace audio_test
