#include "host_callbacks.h"

namespace frontend {

namespace {

constexpr int kKeySignature = 0x59;

} // namespace

int HostMidi::error(uint32_t offset, int code)
{
    h_.log.add(EngineError{offset, code});
    return 0;
}

int HostMidi::unitPassed(uint32_t)
{
    if (h_.sounding) ++h_.elapsedMs;
    return 0;
}

int HostMidi::tickPassed(uint32_t)
{
    uint8_t record[DP_BAR_COUNTER_SIZE];
    if (h_.player && h_.player->bar_counter(h_.player, record, sizeof record) == 0) h_.bar = barPosition(record);
    return 0;
}

int HostMidi::noteOff(int port, int track, int channel, int key, int velocity)
{
    const uint64_t note = host::HeldNotes::id(track, port, channel, key);
    if (h_.keep && h_.keep->holds(note)) return 0;
    h_.held.off(note);
    h_.ports.noteOff(port, channel, key, velocity);
    return 0;
}

int HostMidi::noteOn(int port, int track, int channel, int key, int velocity)
{
    h_.sounding = true;
    h_.held.on(host::HeldNotes::id(track, port, channel, key));
    h_.ports.noteOn(port, channel, key, velocity);
    if (h_.follow && h_.player) h_.follow->noteStarted(h_.player, track, key, h_.heard);
    return 0;
}

int HostMidi::keyPressure(int port, int, int channel, int key, int value)
{
    h_.ports.send(port, 0xA0, channel, key, value);
    return 0;
}

int HostMidi::controlChange(int port, int, int channel, int controller, int value)
{
    h_.ports.controlChange(port, channel, controller, value);
    return 0;
}

int HostMidi::programChange(int port, int, int channel, int program)
{
    h_.ports.send(port, 0xC0, channel, program, 0);
    return 0;
}

int HostMidi::channelPressure(int port, int, int channel, int value)
{
    h_.ports.send(port, 0xD0, channel, value, 0);
    return 0;
}

int HostMidi::pitchBend(int port, int, int channel, int value)
{
    h_.ports.pitchBend(port, channel, value);
    return 0;
}

uint8_t* HostMidi::exclusiveBuffer(int port, int, int count) { return h_.ports.exclusiveBuffer(port, count); }

int HostMidi::exclusiveSend(int port, int, int count)
{
    h_.ports.exclusiveSend(port, count);
    return 0;
}

int HostMidi::text(int, const char* bytes, int count)
{
    h_.log.add(SongText{std::string(bytes, count > 0 ? size_t(count) : 0)});
    return 0;
}

int HostMidi::tempo(uint32_t period)
{
    h_.tempoPeriod = period;
    return 0;
}

int HostMidi::meta(int, int type, const uint8_t* payload, int count)
{
    if (type == kKeySignature) h_.key = keyText(payload, count > 0 ? size_t(count) : 0);
    return 0;
}

} // namespace frontend
