// Devices 0 and up: the ALSA sequencer's output ports through RtMidi.  A
// machine without a sequencer device simply lists none.
#include "../backends.h"

#include <RtMidi.h>

#include <unistd.h>

#include <vector>

namespace platform {

namespace {

constexpr const char* kSequencerDevice = "/dev/snd/seq";
constexpr const char* kClientName = "zem";

// RtMidi reports through exceptions and, without a callback, on stderr.
void ignoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

std::unique_ptr<RtMidiOut> openClient()
{
    if (::access(kSequencerDevice, R_OK | W_OK) != 0) return nullptr;
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
        out->setErrorCallback(ignoreRtMidiError, nullptr);
        return out;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

class SequencerPort final : public midi_backend::BytePort {
public:
    explicit SequencerPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}
    ~SequencerPort() override
    {
        try {
            out_->closePort();
        } catch (const RtMidiError&) {}
    }

private:
    // RtMidi hands the whole message to the sequencer before returning.
    bool sendBytes(const uint8_t* bytes, size_t count) override
    {
        try {
            out_->sendMessage(bytes, count);
            return true;
        } catch (const RtMidiError&) {
            return false;
        }
    }

    std::unique_ptr<RtMidiOut> out_;
};

int sequencerCount()
{
    const auto out = openClient();
    if (!out) return 0;
    try {
        return static_cast<int>(out->getPortCount());
    } catch (const RtMidiError&) {
        return 0;
    }
}

std::string sequencerName(int index)
{
    const auto out = openClient();
    if (!out) return {};
    try {
        return out->getPortName(static_cast<unsigned>(index));
    } catch (const RtMidiError&) {
        return {};
    }
}

std::unique_ptr<MidiOutPort> openSequencerPort(int index)
{
    auto out = openClient();
    if (!out) return nullptr;
    try {
        out->openPort(static_cast<unsigned>(index), kClientName);
    } catch (const RtMidiError&) {
        return nullptr;
    }
    if (!out->isPortOpen()) return nullptr;
    return std::make_unique<SequencerPort>(std::move(out));
}

} // namespace

const midi_backend::Backend midi_backend::kSequencerBackend = {"sequencer", sequencerCount, sequencerName,
                                                               openSequencerPort};

} // namespace platform
