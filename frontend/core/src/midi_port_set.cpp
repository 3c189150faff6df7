#include "midi_port_set.h"

#include <chrono>
#include <thread>

namespace frontend {

namespace {

constexpr std::array<int, 3> kPedals = {64, 66, 69};
// Silencing releases the pedals in this order: hold 2, sostenuto, sustain.
constexpr std::array<size_t, 3> kReleaseOrder = {2, 1, 0};

uint32_t pack(int status, int channel, int data1, int data2)
{
    return uint32_t(status | channel) | uint32_t(data1 & 0x7F) << 8 | uint32_t(data2 & 0x7F) << 16;
}

} // namespace

MidiPortSet::Slot* MidiPortSet::slot(int port) const
{
    return port >= 0 && port < 16 ? slots_[size_t(port)].get() : nullptr;
}

void MidiPortSet::open(const std::vector<std::string>& names)
{
    for (size_t i = 0; i < names.size() && i < slots_.size(); ++i) {
        const std::string& name = names[i];
        if (name.empty()) continue;
        const int count = devices_.count();
        for (int device = platform::kMidiMapper; device < count && !slots_[i]; ++device) {
            if (devices_.name(device).substr(0, 32) != name.substr(0, 32)) continue;
            if (auto out = devices_.open(device)) {
                slots_[i] = std::make_unique<Slot>();
                slots_[i]->out = std::move(out);
            }
        }
        if (slots_[i])
            report_(PortOpened{int(i), name});
        else
            report_(PortFailed{int(i), name});
    }
}

void MidiPortSet::closeAll()
{
    silenceAll();
    eventFrame_.reset();
    for (auto& s : slots_) s.reset();
}

void MidiPortSet::sendShort(Slot& s, uint32_t packed)
{
    if (eventFrame_)
        s.out->shortMessageAt(*eventFrame_, packed);
    else
        s.out->shortMessage(packed);
}

void MidiPortSet::silenceAll()
{
    for (int port = 0; port < 16; ++port) {
        Slot* s = slot(port);
        if (!s) continue;
        for (int channel = 0; channel < 16; ++channel) {
            for (size_t pedal : kReleaseOrder)
                if (s->pedals[size_t(channel)][pedal] != 0) controlChange(port, channel, kPedals[pedal], 0);
            for (int key = 0; key < 128; ++key)
                if (s->notes[size_t(channel)][size_t(key)] != 0) noteOff(port, channel, key, 127);
        }
    }
}

void MidiPortSet::noteOff(int port, int channel, int key, int velocity)
{
    Slot* s = slot(port);
    if (!s) return;
    s->notes[size_t(channel & 15)][size_t(key & 127)] = 0;
    sendShort(*s, pack(0x80, channel & 15, key, velocity));
}

void MidiPortSet::noteOn(int port, int channel, int key, int velocity)
{
    Slot* s = slot(port);
    if (!s) return;
    s->notes[size_t(channel & 15)][size_t(key & 127)] = static_cast<uint8_t>(velocity & 127);
    sendShort(*s, pack(0x90, channel & 15, key, velocity));
}

void MidiPortSet::controlChange(int port, int channel, int controller, int value)
{
    Slot* s = slot(port);
    if (!s) return;
    for (size_t i = 0; i < kPedals.size(); ++i)
        if (controller == kPedals[i]) s->pedals[size_t(channel & 15)][i] = static_cast<uint8_t>(value & 127);
    sendShort(*s, pack(0xB0, channel & 15, controller, value));
}

void MidiPortSet::send(int port, int status, int channel, int data1, int data2)
{
    if (Slot* s = slot(port)) sendShort(*s, pack(status, channel & 15, data1, data2));
}

void MidiPortSet::pitchBend(int port, int channel, int value)
{
    send(port, 0xE0, channel, value & 127, ((value + 8192) >> 7) & 127);
}

uint8_t* MidiPortSet::exclusiveBuffer(int port, int count)
{
    Slot* s = slot(port);
    if (!s || count < 0 || count > kMaxExclusiveBytes) return nullptr;
    // The device still reads the buffer of a message it never finished.
    if (s->messagePending && !s->message.done) {
        report_(ExclusiveFailed{port, ExclusiveProblem::Busy});
        return nullptr;
    }
    s->messagePending = false;
    return s->exclusive.data();
}

void MidiPortSet::exclusiveSend(int port, int count)
{
    Slot* s = slot(port);
    if (!s || count <= 0 || count > kMaxExclusiveBytes || (s->messagePending && !s->message.done)) return;
    platform::MidiLongMessage& message = s->message;
    message.data = s->exclusive.data();
    message.length = static_cast<uint32_t>(count);
    message.done = false;
    const bool sent = eventFrame_ ? s->out->longMessageAt(*eventFrame_, message) : s->out->longMessage(message);
    if (!sent) return;
    // A device that never reports the message done must not hang playback.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kExclusiveTimeoutMs);
    while (!message.done) {
        if (std::chrono::steady_clock::now() >= deadline) {
            s->messagePending = true;
            report_(ExclusiveFailed{port, ExclusiveProblem::TimedOut});
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

const platform::MidiOutPort* MidiPortSet::clockPort() const
{
    for (const auto& s : slots_)
        if (s && s->out->audioRate() > 0) return s->out.get();
    return nullptr;
}

bool MidiPortSet::isSounding() const
{
    for (const auto& s : slots_)
        if (s && s->out->isSounding()) return true;
    return false;
}

} // namespace frontend
