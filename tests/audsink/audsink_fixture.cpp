#include "audsink_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace audsink_test {

std::string fakeDecoder(const std::string& variant) { return std::string(AUDSINK_FAKE_DIR) + "/" + variant + ".so"; }

DecoderLog::DecoderLog(const std::string& variant) : path_(fakeDecoder(variant)), library_(path_)
{
    log_ = library_.entry<fake_log_fn>("fake_log");
    EXPECT_TRUE(log_) << path_ << ": " << library_.error();
    take();
}

std::vector<std::string> DecoderLog::take()
{
    std::vector<std::string> lines;
    if (!log_) return lines;
    std::istringstream in(log_());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> DecoderLog::takeControl()
{
    std::vector<std::string> lines;
    for (auto& line : take())
        if (line.rfind("decode", 0) != 0) lines.push_back(line);
    return lines;
}

OfflineSink::OfflineSink() : ds_(ds8_const(nullptr, nullptr, nullptr))
{
    EXPECT_TRUE(ds_);
    if (ds_) EXPECT_EQ(ds_->open_device(ds_, DS8_OFFLINE_DEVICE, 2, 16, 44100, nullptr, 2), DS8_OK);
}

OfflineSink::~OfflineSink()
{
    if (ds_) ds_->destroy(ds_);
}

platform::OfflineAudioDevice& OfflineSink::device() const
{
    return *static_cast<platform::OfflineAudioDevice*>(static_cast<platform::AudioDevice*>(ds_->device_object(ds_)));
}

std::vector<int16_t> OfflineSink::render(uint32_t frames) const
{
    std::vector<int16_t> out(2 * size_t{frames});
    device().render(out.data(), frames);
    return out;
}

std::vector<uint8_t> bufferBytes(ds8* ds, ds8_sound* sound)
{
    auto* buffer = static_cast<platform::AudioBuffer*>(ds->sound_buffer(ds, sound));
    if (!buffer) return {};
    platform::AudioLockedRegion region;
    if (buffer->lock(0, 0, region, platform::kAudioLockEntireBuffer) != platform::kAudioOk) return {};
    std::vector<uint8_t> bytes(region.first, region.first + region.firstBytes);
    buffer->unlock(region.first, 0, region.second, 0);
    return bytes;
}

std::vector<uint8_t> patternBytes(uint64_t from, size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = fakePatternByte(from + i);
    return bytes;
}

} // namespace audsink_test
