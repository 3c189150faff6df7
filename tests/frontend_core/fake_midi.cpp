#include "fake_midi.h"

#include <chrono>
#include <cstdio>

namespace frontend_test {

namespace {

std::string hexBytes(const uint8_t* bytes, size_t count)
{
    std::string text;
    char byte[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
        text += byte;
    }
    return text;
}

class FakePort final : public platform::MidiOutPort {
public:
    FakePort(FakeMidiDevices& owner, int device, const FakeDevice& behaviour)
        : owner_(owner), device_(device), behaviour_(behaviour)
    {
        owner_.add(std::to_string(device_) + " open");
    }
    ~FakePort() override { owner_.add(std::to_string(device_) + " close"); }

    bool shortMessage(uint32_t packed) override { return logShort("", packed); }
    bool longMessage(platform::MidiLongMessage& m) override { return logLong("", m); }
    int audioRate() const override { return behaviour_.audioRate; }
    uint64_t audioFrames() const override { return 0; }
    bool shortMessageAt(uint64_t frame, uint32_t packed) override
    {
        return behaviour_.audioRate ? logShort("@" + std::to_string(frame) + " ", packed) : shortMessage(packed);
    }
    bool longMessageAt(uint64_t frame, platform::MidiLongMessage& m) override
    {
        return behaviour_.audioRate ? logLong("@" + std::to_string(frame) + " ", m) : longMessage(m);
    }
    bool isSounding() const override
    {
        return behaviour_.ringMs < 0 ||
               std::chrono::steady_clock::now() - lastMessage_ < std::chrono::milliseconds(behaviour_.ringMs);
    }

private:
    bool logShort(const std::string& at, uint32_t packed)
    {
        lastMessage_ = std::chrono::steady_clock::now();
        const uint8_t bytes[3] = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
        owner_.add(std::to_string(device_) + " " + at +
                   hexBytes(bytes, size_t(platform::midiShortMessageLength(bytes[0]))));
        return true;
    }
    bool logLong(const std::string& at, platform::MidiLongMessage& m)
    {
        owner_.add(std::to_string(device_) + " " + at + hexBytes(m.data, m.length));
        if (behaviour_.finishesLong) m.done = true;
        return true;
    }

    FakeMidiDevices& owner_;
    int device_;
    FakeDevice behaviour_;
    std::chrono::steady_clock::time_point lastMessage_ = std::chrono::steady_clock::now();
};

} // namespace

std::string FakeMidiDevices::name(int device)
{
    const size_t index = size_t(device + 1);
    return device >= -1 && index < devices_.size() ? devices_[index].name : std::string();
}

std::unique_ptr<platform::MidiOutPort> FakeMidiDevices::open(int device)
{
    const size_t index = size_t(device + 1);
    if (device < -1 || index >= devices_.size() || !devices_[index].opens) return nullptr;
    return std::make_unique<FakePort>(*this, device, devices_[index]);
}

std::vector<std::string> FakeMidiDevices::lines()
{
    std::lock_guard guard(lock_);
    return lines_;
}

void FakeMidiDevices::add(const std::string& line)
{
    std::lock_guard guard(lock_);
    lines_.push_back(line);
}

} // namespace frontend_test
