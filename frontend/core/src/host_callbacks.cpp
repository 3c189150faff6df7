#include "host_callbacks.h"

#include <cstdlib>

namespace frontend {

namespace {

HostContext& host(void* user) { return *static_cast<HostContext*>(user); }

constexpr int kKeySignature = 0x59;

int onError(void* user, uint32_t offset, int code)
{
    host(user).log.add(EngineError{offset, code});
    return 0;
}

void* onAllocate(void*, size_t bytes) { return std::calloc(1, bytes); }
void onFree(void*, void* block) { std::free(block); }

int onUnit(void* user, uint32_t)
{
    HostContext& h = host(user);
    if (h.sounding) ++h.elapsedMs;
    return 0;
}

int onTick(void* user, uint32_t)
{
    HostContext& h = host(user);
    uint8_t record[DP_BAR_COUNTER_SIZE];
    if (h.player && h.player->bar_counter(h.player, record, sizeof record) == 0) h.bar = barPosition(record);
    return 0;
}

int onNoteOff(void* user, int port, int track, int channel, int key, int velocity)
{
    HostContext& h = host(user);
    const uint64_t note = zemfe::HeldNotes::id(track, port, channel, key);
    if (h.keep && h.keep->holds(note)) return 0;
    h.held.off(note);
    h.ports.noteOff(port, channel, key, velocity);
    return 0;
}

int onNoteOn(void* user, int port, int track, int channel, int key, int velocity)
{
    HostContext& h = host(user);
    h.sounding = true;
    h.held.on(zemfe::HeldNotes::id(track, port, channel, key));
    h.ports.noteOn(port, channel, key, velocity);
    return 0;
}

int onKeyPressure(void* user, int port, int, int channel, int key, int value)
{
    host(user).ports.send(port, 0xA0, channel, key, value);
    return 0;
}

int onControl(void* user, int port, int, int channel, int controller, int value)
{
    host(user).ports.controlChange(port, channel, controller, value);
    return 0;
}

int onProgram(void* user, int port, int, int channel, int program)
{
    host(user).ports.send(port, 0xC0, channel, program, 0);
    return 0;
}

int onChannelPressure(void* user, int port, int, int channel, int value)
{
    host(user).ports.send(port, 0xD0, channel, value, 0);
    return 0;
}

int onPitchBend(void* user, int port, int, int channel, int value)
{
    host(user).ports.pitchBend(port, channel, value);
    return 0;
}

uint8_t* onExclusiveBuffer(void* user, int port, int, int count)
{
    return host(user).ports.exclusiveBuffer(port, count);
}

int onExclusiveSend(void* user, int port, int, int count)
{
    host(user).ports.exclusiveSend(port, count);
    return 0;
}

int onText(void* user, int, const char* text, int count)
{
    host(user).log.add(SongText{std::string(text, count > 0 ? size_t(count) : 0)});
    return 0;
}

int onTempo(void* user, int, uint32_t period)
{
    host(user).tempoPeriod = period;
    return 0;
}

int onMeta(void* user, int, int type, const uint8_t* payload, int count)
{
    if (type == kKeySignature) host(user).key = keyText(payload, count > 0 ? size_t(count) : 0);
    return 0;
}

int onLoopPass(void*, int, uint32_t) { return 0; }

uintptr_t onLoadSample(void* user, int, const char* name, uint32_t p1, uint32_t p2)
{
    host(user).blocked = true;
    return host(user).sound.loadSample(name, p1, p2);
}
void onFreeSample(void* user, uintptr_t h) { host(user).sound.freeSample(h); }
void onStartVoice(void* user, uintptr_t h, int loop) { host(user).sound.startVoice(h, loop); }
void onStopVoice(void* user, uintptr_t h) { host(user).sound.stopVoice(h); }
int onVoiceVolume(void* user, uintptr_t h, int v) { return host(user).sound.voiceVolume(h, v); }
int onVoicePan(void* user, uintptr_t h, int v) { return host(user).sound.voicePan(h, v); }
int onVoicePitch(void* user, uintptr_t h, int v) { return host(user).sound.voicePitch(h, v); }
uintptr_t onDuplicate(void* user, uintptr_t h)
{
    host(user).blocked = true;
    return host(user).sound.duplicateSample(h);
}
void onVoicePosition(void* user, uintptr_t h, int f) { host(user).sound.voiceStartPosition(h, f); }
int onVoicePlaying(void* user, uintptr_t h) { return host(user).sound.voicePlaying(h); }
void onStreamOpen(void* user, int s, const char* n, uint32_t a, uint32_t b) { host(user).sound.streamOpen(s, n, a, b); }
void onStreamClose(void* user, int s) { host(user).sound.streamClose(s); }
int onStreamPlay(void* user, int s) { return host(user).sound.streamPlay(s); }
void onStreamStop(void* user, int s) { host(user).sound.streamStop(s); }
int onStreamVolume(void* user, int s, int v) { return host(user).sound.streamVolume(s, v); }
int onStreamPan(void* user, int s, int v) { return host(user).sound.streamPan(s, v); }
int onStreamPitch(void* user, int s, int v) { return host(user).sound.streamPitch(s, v); }
int onStreamSync(void* user, int s, int w) { return host(user).sound.streamSync(s, w); }
void onStreamPosition(void* user, int s, uint32_t l, uint32_t h) { host(user).sound.streamPosition(s, l, h); }
void onStreamPositionSeconds(void* user, int s, float f) { host(user).sound.streamPositionSeconds(s, f); }
void onStreamLoopEnd(void* user, int s, uint32_t l, uint32_t h) { host(user).sound.streamLoopEnd(s, l, h); }
void onStreamLoopEndSeconds(void* user, int s, float f) { host(user).sound.streamLoopEndSeconds(s, f); }
void onStreamLoop(void* user, int s, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    host(user).sound.streamLoop(s, a, b, c, d);
}
void onStreamLoopSeconds(void* user, int s, float a, float b) { host(user).sound.streamLoopSeconds(s, a, b); }

} // namespace

dp_options hostOptions()
{
    dp_options o{};
    o.error = onError;
    o.allocate = onAllocate;
    o.free = onFree;
    o.unit_passed = onUnit;
    o.tick_passed = onTick;
    o.note_off = onNoteOff;
    o.note_on = onNoteOn;
    o.key_pressure = onKeyPressure;
    o.control_change = onControl;
    o.program_change = onProgram;
    o.channel_pressure = onChannelPressure;
    o.pitch_bend = onPitchBend;
    o.exclusive_buffer = onExclusiveBuffer;
    o.exclusive_send = onExclusiveSend;
    o.text = onText;
    o.tempo_changed = onTempo;
    o.meta_event = onMeta;
    o.endless_loop_pass = onLoopPass;
    o.load_sample = onLoadSample;
    o.free_sample = onFreeSample;
    o.start_voice = onStartVoice;
    o.stop_voice = onStopVoice;
    o.voice_volume = onVoiceVolume;
    o.voice_pan = onVoicePan;
    o.voice_pitch = onVoicePitch;
    o.duplicate_sample = onDuplicate;
    o.voice_start_position = onVoicePosition;
    o.voice_playing = onVoicePlaying;
    o.stream_open = onStreamOpen;
    o.stream_close = onStreamClose;
    o.stream_play = onStreamPlay;
    o.stream_stop = onStreamStop;
    o.stream_volume = onStreamVolume;
    o.stream_pan = onStreamPan;
    o.stream_pitch = onStreamPitch;
    o.stream_sync = onStreamSync;
    o.stream_position = onStreamPosition;
    o.stream_position_seconds = onStreamPositionSeconds;
    o.stream_loop_end = onStreamLoopEnd;
    o.stream_loop_end_seconds = onStreamLoopEndSeconds;
    o.stream_loop = onStreamLoop;
    o.stream_loop_seconds = onStreamLoopSeconds;
    return o;
}

} // namespace frontend
