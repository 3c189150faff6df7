#include "host/engine_options.h"

namespace host {

namespace {

Sinks& sinksOf(void* user) { return *static_cast<Sinks*>(user); }

// One entry: the engine's arguments after the user value go to Method of
// the sink, as they are.
template <auto Method> struct Entry;
template <class R, class... A, R (MidiSink::*Method)(A...)> struct Entry<Method> {
    static R call(void* user, A... args) { return (sinksOf(user).midi->*Method)(args...); }
};
template <class R, class... A, R (SoundSink::*Method)(A...)> struct Entry<Method> {
    static R call(void* user, A... args) { return (sinksOf(user).sound->*Method)(args...); }
};

// The engine passes a zero before the period.
int tempoChanged(void* user, int, uint32_t period) { return sinksOf(user).midi->tempo(period); }

void fillMidi(dp_options& o)
{
    o.error = Entry<&MidiSink::error>::call;
    o.unit_passed = Entry<&MidiSink::unitPassed>::call;
    o.tick_passed = Entry<&MidiSink::tickPassed>::call;
    o.note_off = Entry<&MidiSink::noteOff>::call;
    o.note_on = Entry<&MidiSink::noteOn>::call;
    o.key_pressure = Entry<&MidiSink::keyPressure>::call;
    o.control_change = Entry<&MidiSink::controlChange>::call;
    o.program_change = Entry<&MidiSink::programChange>::call;
    o.channel_pressure = Entry<&MidiSink::channelPressure>::call;
    o.pitch_bend = Entry<&MidiSink::pitchBend>::call;
    o.exclusive_buffer = Entry<&MidiSink::exclusiveBuffer>::call;
    o.exclusive_send = Entry<&MidiSink::exclusiveSend>::call;
    o.text = Entry<&MidiSink::text>::call;
    o.tempo_changed = tempoChanged;
    o.meta_event = Entry<&MidiSink::meta>::call;
    o.endless_loop_pass = Entry<&MidiSink::endlessLoopPass>::call;
}

void fillSound(dp_options& o)
{
    o.load_sample = Entry<&SoundSink::loadSample>::call;
    o.free_sample = Entry<&SoundSink::freeSample>::call;
    o.start_voice = Entry<&SoundSink::startVoice>::call;
    o.stop_voice = Entry<&SoundSink::stopVoice>::call;
    o.voice_volume = Entry<&SoundSink::voiceVolume>::call;
    o.voice_pan = Entry<&SoundSink::voicePan>::call;
    o.voice_pitch = Entry<&SoundSink::voicePitch>::call;
    o.duplicate_sample = Entry<&SoundSink::duplicateSample>::call;
    o.voice_start_position = Entry<&SoundSink::voiceStartPosition>::call;
    o.voice_playing = Entry<&SoundSink::voicePlaying>::call;
    o.stream_open = Entry<&SoundSink::streamOpen>::call;
    o.stream_close = Entry<&SoundSink::streamClose>::call;
    o.stream_play = Entry<&SoundSink::streamPlay>::call;
    o.stream_stop = Entry<&SoundSink::streamStop>::call;
    o.stream_volume = Entry<&SoundSink::streamVolume>::call;
    o.stream_pan = Entry<&SoundSink::streamPan>::call;
    o.stream_pitch = Entry<&SoundSink::streamPitch>::call;
    o.stream_sync = Entry<&SoundSink::streamSync>::call;
    o.stream_position = Entry<&SoundSink::streamPosition>::call;
    o.stream_position_seconds = Entry<&SoundSink::streamPositionSeconds>::call;
    o.stream_loop_end = Entry<&SoundSink::streamLoopEnd>::call;
    o.stream_loop_end_seconds = Entry<&SoundSink::streamLoopEndSeconds>::call;
    o.stream_loop = Entry<&SoundSink::streamLoop>::call;
    o.stream_loop_seconds = Entry<&SoundSink::streamLoopSeconds>::call;
}

} // namespace

dp_options engineOptions(const Sinks& sinks)
{
    dp_options o{};
    if (sinks.midi) fillMidi(o);
    if (sinks.sound) fillSound(o);
    return o;
}

dp_player* createEngine(int ports, const void* image, size_t size, Sinks& sinks, int* error)
{
    const dp_options options = engineOptions(sinks);
    return dp_const(ports, image, size, &options, sizeof options, &sinks, error);
}

} // namespace host
