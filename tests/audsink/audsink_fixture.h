// The library through its table: an instance on the offline device, test
// decoders by variant, and reading what a buffer holds or the device plays.
#pragma once

#include "audsink.h"
#include "fake_decoder_log.h"

#include "platform/audio.h"
#include "platform/dynload.h"

#include <cstdint>
#include <string>
#include <vector>

namespace audsink_test {

// Path of a test decoder variant ("fake_full", "fake_minimal", ...).
std::string fakeDecoder(const std::string& variant);

// Keeps a test decoder loaded so that its call log lives on between the
// library's loads and unloads.
class DecoderLog {
public:
    explicit DecoderLog(const std::string& variant = "fake_full");
    // The calls since the last read, one per entry.
    std::vector<std::string> take();
    // The calls since the last read, without "decode" lines.
    std::vector<std::string> takeControl();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    platform::DynamicLibrary library_;
    fake_log_fn log_ = nullptr;
};

// An instance whose device is the offline one (2 channels, 16 bits, 44100).
class OfflineSink {
public:
    OfflineSink();
    ~OfflineSink();
    OfflineSink(const OfflineSink&) = delete;
    OfflineSink& operator=(const OfflineSink&) = delete;

    ds8* operator->() const { return ds_; }
    ds8* get() const { return ds_; }
    platform::OfflineAudioDevice& device() const;
    // Renders frames and returns them interleaved.
    std::vector<int16_t> render(uint32_t frames) const;

private:
    ds8* ds_ = nullptr;
};

// The bytes a sound's buffer holds (read through a lock of the whole buffer).
std::vector<uint8_t> bufferBytes(ds8* ds, ds8_sound* sound);

// The bytes the test decoder delivers from byte `from`, `count` of them.
std::vector<uint8_t> patternBytes(uint64_t from, size_t count);

} // namespace audsink_test
