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

class SequencerPort final : public MidiOutPort {
public:
    explicit SequencerPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}
    ~SequencerPort() override
    {
        try {
            out_->closePort();
        } catch (const RtMidiError&) {}
    }

    bool shortMessage(uint32_t packed) override
    {
        const unsigned char bytes[3] = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
        const int length = midiShortMessageLength(bytes[0]);
        return length > 0 && send(bytes, static_cast<size_t>(length));
    }

    bool longMessage(MidiLongMessage& message) override
    {
        if (!message.data || message.length == 0) return false;
        // RtMidi hands the whole message to the sequencer before returning.
        if (!send(message.data, message.length)) return false;
        message.done = true;
        return true;
    }

private:
    bool send(const unsigned char* bytes, size_t count)
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
