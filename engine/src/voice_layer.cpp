#include "voice_layer.h"

#include "commands.h"
#include "core.h"
#include "payload_name.h"

#include "zem/command_words.h"

#include <algorithm>
#include <cstring>

namespace zemplay {

namespace {

VoiceHost voiceHost(Instance& in) { return {&in.cb, in.user}; }

ChannelControls controlsOf(void* context, unsigned port, unsigned channel)
{
    const Channel& ch = channelOf(*static_cast<Instance*>(context), port, channel);
    return {ch.ctrlLast[7], ch.ctrlLast[11], ch.ctrlLast[10], ch.bendLast, ch.bendRange};
}

uint16_t instrumentNumber(uint16_t v) { return static_cast<uint16_t>(v & 0x3FFF); }

void directStart(Exec& x, uint16_t instrument, bool loop, uint32_t duration)
{
    VoiceLayer& vl = x.in.voiceLayer;
    if (!vl.pool || x.in.skip != 0) return;
    VoiceStart s{instrument, 127, true, loop, duration, x.t.port, x.t.channel, kNoKey};
    startVoice(voiceHost(x.in), *vl.pool, vl.settings, s, controlsOf, &x.in);
}

void createOrDestroyPool(Instance& in, uint16_t voices)
{
    VoiceLayer& vl = in.voiceLayer;
    if (voices == 0) {
        destroyVoicePool(voiceHost(in), vl.pool);
        vl.pool = nullptr;
    } else if (!vl.pool) {
        vl.pool = createVoicePool(voiceHost(in), voices);
    }
}

// Registers that change the current instrument's record.
void instrumentParam(Exec& x, unsigned reg, uint16_t v)
{
    VoicePool* pool = x.in.voiceLayer.pool;
    if (!pool) return;
    Instrument& ins = instrumentAt(*pool, x.t.instrument);
    switch (reg) {
    case 109: ins.volume = v; break;
    case 110: ins.pan = zem::signedWord(v); break;
    case 111: ins.pitch = zem::signedWord(v); break;
    case 118:
    case 119:
    case 120: copyInstrument(voiceHost(x.in), *pool, x.t.instrument, reg, v); break;
    case 121: ins.flags = static_cast<uint8_t>(v); break;
    default: break;
    }
}

} // namespace

void shutdownVoiceLayer(Instance& in)
{
    VoiceLayer& vl = in.voiceLayer;
    closeAllStreams({&in.cb, in.user}, vl.streams);
    destroyVoicePool(voiceHost(in), vl.pool);
    vl.pool = nullptr;
}

void initVoiceLayer(Instance& in)
{
    VoiceLayer& vl = in.voiceLayer;
    vl.pool = nullptr;
    initVoiceSettings(vl.settings);
    initStreamSlots(vl.streams);
}

void voiceParam(Exec& x, unsigned reg, uint16_t v)
{
    VoiceLayer& vl = x.in.voiceLayer;
    VoiceSettings& s = vl.settings;
    StreamSlot& slot = vl.streams.slots[x.t.streamSlot % kStreamSlots];
    switch (reg) {
    case 101: createOrDestroyPool(x.in, v); break;
    case 102: x.t.instrument = instrumentNumber(v); break;
    case 103:
    case 104: directStart(x, instrumentNumber(v), reg == 104, 0); break;
    case 105:
        if (vl.pool) stopRecentVoice(voiceHost(x.in), *vl.pool, instrumentNumber(v));
        break;
    case 106: s.masterVolume = v; break;
    case 107: s.masterPan = zem::signedWord(v); break;
    case 108: s.masterPitch = zem::signedWord(v); break;
    case 112: s.nextVolume = v; break;
    case 113: s.nextPan = zem::signedWord(v); break;
    case 114: s.nextPitch = zem::signedWord(v); break;
    case 115: s.loadParam1 = v; break;
    case 116: s.loadParam2 = (s.loadParam2 & 0xFFFF0000u) | v; break;
    case 117: s.loadParam2 = (s.loadParam2 & 0xFFFFu) | (uint32_t{v} << 16); break;
    case 130: x.t.streamSlot = static_cast<uint8_t>(v % kStreamSlots); break;
    case 131: slot.openParam1 = v; break;
    case 132: slot.openParam2 = (slot.openParam2 & 0xFFFF0000u) | v; break;
    case 133: slot.openParam2 = (slot.openParam2 & 0xFFFFu) | (uint32_t{v} << 16); break;
    default: instrumentParam(x, reg, v); break;
    }
}

// «META» 0x80 name | 0x81 count | 0x82 [loop [duration]] | 0x83 [release time] | 0x90..0x92 record
void voiceMeta(Exec& x, unsigned type, const uint8_t* p, unsigned n)
{
    VoiceLayer& vl = x.in.voiceLayer;
    if (type == 0x82) {
        directStart(x, x.t.instrument, n >= 1 && p[0] != 0, n >= 2 ? readBigEndian(p + 1, n - 1) : 0);
        return;
    }
    if (!vl.pool) return;
    VoiceHost host = voiceHost(x.in);
    switch (type) {
    case 0x80:
        if (n > 0) loadVoice(host, *vl.pool, vl.settings, x.t.instrument, PayloadName(p, n).text);
        break;
    case 0x81:
        if (n > 0) changeVoiceCount(host, *vl.pool, x.t.instrument, static_cast<int8_t>(p[0]));
        break;
    case 0x83:
        if (n == 0)
            stopRecentVoice(host, *vl.pool, x.t.instrument);
        else
            fadeRecentVoice(host, *vl.pool, x.t.instrument, readBigEndian(p, n));
        break;
    case 0x90:
    case 0x91:
    case 0x92: {
        // A short record reads as zeros where it ends.
        uint8_t record[kEnvelopeRecordSize] = {};
        std::memcpy(record, p, std::min(n, kEnvelopeRecordSize));
        setEnvelopeRecord(*vl.pool, x.t.instrument, static_cast<EnvelopeKind>(type - 0x90), record);
        break;
    }
    default: break;
    }
}

void voiceNoteOn(Instance& in, unsigned port, unsigned channel, unsigned key, int velocity)
{
    VoiceLayer& vl = in.voiceLayer;
    if (!vl.pool) return;
    const Channel& ch = channelOf(in, port, channel);
    auto instrument = static_cast<uint16_t>((ch.program & 0x7F) << 7 | (key & 0x7F));
    VoiceStart s{instrument,
                 static_cast<unsigned>(velocity),
                 false,
                 false,
                 0,
                 static_cast<uint8_t>(port),
                 static_cast<uint8_t>(channel),
                 static_cast<uint8_t>(key)};
    startVoice(voiceHost(in), *vl.pool, vl.settings, s, controlsOf, &in);
}

void voiceNoteOff(Instance& in, unsigned port, unsigned channel, unsigned key)
{
    if (in.voiceLayer.pool) releaseKeyVoices(voiceHost(in), *in.voiceLayer.pool, port, channel, key);
}

void stepVoiceLayer(Instance& in, uint32_t units)
{
    VoiceLayer& vl = in.voiceLayer;
    if (vl.pool) stepVoices(voiceHost(in), *vl.pool, units, controlsOf, &in);
    stepStreams({&in.cb, in.user}, vl.streams, units);
}

} // namespace zemplay
