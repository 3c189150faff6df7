#include "voice_pool.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zemplay {

namespace {

// The value the host is assumed to hold before a start: outside every
// range, so that the first values always go out.
constexpr int32_t kNotYetAccepted = 30000;
constexpr int32_t kNeutralLevel[kEnvelopeKinds] = {100, 0, 0}; // volume 1.00, no pitch or pan change

int32_t clampPan(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -0x4000, 0x4000)); }
int32_t clampPitch(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -0x8000, 0x7FFF)); }
int32_t clampVolume(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, kFullVolume)); }

// ---- Voice lists (indices; the free list uses `next` only) ----------------

void unlink(VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    Instrument& owner = pool.instruments[v.list];
    if (v.prev != kNoVoice)
        pool.voices[v.prev].next = v.next;
    else
        owner.head = v.next;
    if (v.next != kNoVoice)
        pool.voices[v.next].prev = v.prev;
    else
        owner.tail = v.prev;
    v.prev = v.next = kNoVoice;
}

// Links voice i at one end of a list: `Outward` is the voice link that points
// past that end, `Inward` the one that points back into the list.
template <uint16_t Instrument::*End, uint16_t Instrument::*OtherEnd, uint16_t Voice::*Outward, uint16_t Voice::*Inward>
void pushAt(VoicePool& pool, uint16_t list, uint16_t i)
{
    Voice& v = pool.voices[i];
    Instrument& owner = pool.instruments[list];
    v.list = list;
    v.*Outward = kNoVoice;
    v.*Inward = owner.*End;
    if (owner.*End != kNoVoice)
        pool.voices[owner.*End].*Outward = i;
    else
        owner.*OtherEnd = i;
    owner.*End = i;
}

constexpr auto pushBack = pushAt<&Instrument::tail, &Instrument::head, &Voice::next, &Voice::prev>;
constexpr auto pushFront = pushAt<&Instrument::head, &Instrument::tail, &Voice::prev, &Voice::next>;

uint16_t takeFree(VoicePool& pool)
{
    uint16_t i = pool.freeHead;
    if (i != kNoVoice) pool.freeHead = pool.voices[i].next;
    return i;
}

void giveBack(VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    v = Voice{};
    v.list = v.instrument = kNoInstrument;
    v.prev = v.boundPrev = v.boundNext = kNoVoice;
    v.next = pool.freeHead;
    pool.freeHead = i;
}

void bind(VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    if (v.bound) return;
    v.bound = true;
    v.boundPrev = kNoVoice;
    v.boundNext = pool.boundHead;
    if (pool.boundHead != kNoVoice) pool.voices[pool.boundHead].boundPrev = i;
    pool.boundHead = i;
}

void unbind(VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    if (!v.bound) return;
    v.bound = false;
    if (v.boundPrev != kNoVoice)
        pool.voices[v.boundPrev].boundNext = v.boundNext;
    else
        pool.boundHead = v.boundNext;
    if (v.boundNext != kNoVoice) pool.voices[v.boundNext].boundPrev = v.boundPrev;
    v.boundPrev = v.boundNext = kNoVoice;
}

// ---- Host calls ----------------------------------------------------------------

void hostStop(const VoiceHost& host, const Voice& v)
{
    if (host.cb->stop_voice && v.handle) host.cb->stop_voice(host.user, v.handle);
}

// One value: not sent when the host already holds it; a 0 answer makes it held.
void offer(const VoiceHost& host, int (*send)(void*, uintptr_t, int), uintptr_t handle, int32_t value, int32_t& last)
{
    if (value == last || !send) return;
    if (send(host.user, handle, value) == 0) last = value;
}

void sendValues(const VoiceHost& host, Voice& v, ChannelLookup lookup, void* context)
{
    VoiceValues values = voiceValues(v, lookup, context);
    offer(host, host.cb->voice_volume, v.handle, values.volume, v.lastVolume);
    offer(host, host.cb->voice_pitch, v.handle, values.pitch, v.lastPitch);
    offer(host, host.cb->voice_pan, v.handle, values.pan, v.lastPan);
}

// Stop-voice callback, unbound, to the end of its list for reuse.
void stopAndRecycle(const VoiceHost& host, VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    hostStop(host, v);
    unbind(pool, i);
    v.flags &= static_cast<uint8_t>(~kVoiceSounding);
    uint16_t list = v.list;
    unlink(pool, i);
    pushBack(pool, list, i);
}

void releaseOrStop(const VoiceHost& host, VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    if (!v.hasRelease) {
        stopAndRecycle(host, pool, i);
        return;
    }
    v.flags &= static_cast<uint8_t>(~kVoiceSounding);
    for (auto& e : v.envelopes) releaseEnvelope(e);
}

// Voices leave their list, stopped and with their samples freed.
void freeVoice(const VoiceHost& host, VoicePool& pool, uint16_t i)
{
    Voice& v = pool.voices[i];
    if (v.bound) hostStop(host, v);
    unbind(pool, i);
    if (v.handle && host.cb->free_sample) host.cb->free_sample(host.user, v.handle);
    unlink(pool, i);
    giveBack(pool, i);
}

void freeOwnVoices(const VoiceHost& host, VoicePool& pool, uint16_t instrument)
{
    while (pool.instruments[instrument].tail != kNoVoice) freeVoice(host, pool, pool.instruments[instrument].tail);
}

void initInstrument(Instrument& ins)
{
    ins = Instrument{};
    ins.head = ins.tail = kNoVoice;
    ins.sharedWith = kNoInstrument;
    ins.volume = kFullVolume;
}

// The record of `target` becomes that of `source`; its own voices go back
// to the free list and it plays the source's.
void copyOnto(const VoiceHost& host, VoicePool& pool, uint16_t source, uint16_t target, int32_t pitchStep)
{
    if (target == source) return;
    uint16_t owner = voiceListOwner(pool, source);
    Instrument& t = pool.instruments[target];
    if (target != owner) freeOwnVoices(host, pool, target);
    uint16_t head = t.head, tail = t.tail;
    t = pool.instruments[source];
    t.pitch = clampPitch(int64_t{t.pitch} + pitchStep);
    if (target == owner) {
        // The source already plays the target's voices: the target keeps them.
        t.head = head;
        t.tail = tail;
        t.sharedWith = kNoInstrument;
    } else {
        t.head = t.tail = kNoVoice;
        t.sharedWith = owner;
    }
}

uint32_t saturatingAdd(uint32_t a, uint32_t b) { return a > UINT32_MAX - b ? UINT32_MAX : a + b; }

} // namespace

void initVoiceSettings(VoiceSettings& s)
{
    s = VoiceSettings{};
    s.masterVolume = kFullVolume;
    s.nextVolume = kFullVolume;
}

VoicePool* createVoicePool(const VoiceHost& host, unsigned voices)
{
    if (voices == 0) return nullptr;
    voices = std::min(voices, unsigned{kNoVoice});
    size_t voicesAt = (sizeof(VoicePool) + alignof(Voice) - 1) / alignof(Voice) * alignof(Voice);
    size_t size = voicesAt + sizeof(Voice) * voices;
    void* block = host.cb->allocate(host.user, size);
    if (!block) return nullptr;
    std::memset(block, 0, size);
    auto* pool = new (block) VoicePool;
    pool->voiceCount = voices;
    pool->voices = reinterpret_cast<Voice*>(static_cast<uint8_t*>(block) + voicesAt);
    for (auto& ins : pool->instruments) initInstrument(ins);
    pool->freeHead = pool->boundHead = kNoVoice;
    for (unsigned i = voices; i-- > 0;) giveBack(*pool, static_cast<uint16_t>(i));
    return pool;
}

void destroyVoicePool(const VoiceHost& host, VoicePool* pool)
{
    if (!pool) return;
    for (unsigned i = 0; i < kInstruments; ++i) freeOwnVoices(host, *pool, static_cast<uint16_t>(i));
    host.cb->free(host.user, pool);
}

uint16_t voiceListOwner(const VoicePool& pool, uint16_t instrument)
{
    uint16_t at = instrument % kInstruments;
    // Copies always point at an instrument that shares nobody's voices, but
    // a later copy onto that one can lengthen the chain: follow it, bounded.
    for (unsigned step = 0; step < kInstruments && pool.instruments[at].sharedWith != kNoInstrument; ++step)
        at = pool.instruments[at].sharedWith;
    return at;
}

void setEnvelopeRecord(VoicePool& pool, uint16_t instrument, EnvelopeKind kind, const uint8_t* bytes)
{
    Instrument& ins = instrumentAt(pool, instrument);
    std::memcpy(ins.envelopes[kind], bytes, kEnvelopeRecordSize);
    ins.envelopesGiven |= static_cast<uint8_t>(1u << kind);
}

void loadVoice(const VoiceHost& host, VoicePool& pool, VoiceSettings& settings, uint16_t instrument, const char* name)
{
    uint32_t param1 = settings.loadParam1, param2 = settings.loadParam2;
    settings.loadParam1 = settings.loadParam2 = 0;
    uint16_t i = takeFree(pool);
    if (i == kNoVoice) return;
    uint16_t number = instrument % kInstruments;
    pushBack(pool, voiceListOwner(pool, number), i);
    Voice& v = pool.voices[i];
    v.instrument = number;
    if (host.cb->load_sample) v.handle = host.cb->load_sample(host.user, number, name, param1, param2);
}

void changeVoiceCount(const VoiceHost& host, VoicePool& pool, uint16_t instrument, int count)
{
    uint16_t owner = voiceListOwner(pool, instrument);
    Instrument& ins = pool.instruments[owner];
    if (count >= 1) {
        if (ins.head == kNoVoice || pool.voices[ins.head].handle == 0) return;
        uintptr_t original = pool.voices[ins.head].handle;
        for (int k = 0; k < count; ++k) {
            uint16_t i = takeFree(pool);
            if (i == kNoVoice) return;
            pushBack(pool, owner, i);
            Voice& v = pool.voices[i];
            v.instrument = owner;
            if (host.cb->duplicate_sample) v.handle = host.cb->duplicate_sample(host.user, original);
        }
        return;
    }
    for (int k = 0; k < -count && ins.tail != kNoVoice; ++k) freeVoice(host, pool, ins.tail);
}

void copyInstrument(const VoiceHost& host, VoicePool& pool, uint16_t source, unsigned reg, uint16_t value)
{
    source %= kInstruments;
    unsigned bank = source >> 7, sourceEntry = source & 0x7F;
    if (reg == 120) {
        copyOnto(host, pool, source, static_cast<uint16_t>(((value >> 8) & 0x7F) << 7 | (value & 0x7F)), 0);
        return;
    }
    unsigned from = (value >> 8) & 0x7F, to = value & 0x7F;
    for (unsigned e = from; e <= to; ++e) {
        int32_t step = reg == 119 ? (static_cast<int32_t>(e) - static_cast<int32_t>(sourceEntry)) * 256 : 0;
        copyOnto(host, pool, source, static_cast<uint16_t>(bank << 7 | e), step);
    }
}

VoiceValues voiceValues(const Voice& v, ChannelLookup lookup, void* context)
{
    int64_t volume = std::max<int64_t>(0, int64_t{v.volume} * v.envelopes[kEnvVolume].value / 100);
    int64_t pitch = v.pitch + int64_t{v.envelopes[kEnvPitch].value} * 256 / 100;
    int64_t pan = v.pan + int64_t{v.envelopes[kEnvPan].value} * 0x4000 / 100;
    if ((v.flags & kVoiceDirect) || !lookup) return {clampVolume(volume), clampPitch(pitch), clampPan(pan)};

    ChannelControls c = lookup(context, v.port, v.channel);
    volume = std::min<int64_t>(volume * c.volume * c.expression / 16129, kFullVolume);
    pitch += int64_t{c.bend} * c.bendRange * 256 / (c.bend < 0 ? 8192 : 8191);
    int64_t p = clampPan(pan);
    // Controller 10 moves the voice's own pan towards an edge: 64 leaves it,
    // 0 and 127 reach full left and right.
    if (c.pan >= 64)
        pan = p + (c.pan - 64) * (0x4000 - p) / 63;
    else
        pan = p + (c.pan - 64) * (-0x4000 - p) / -64;
    return {clampVolume(volume), clampPitch(pitch), clampPan(pan)};
}

void startVoice(const VoiceHost& host, VoicePool& pool, VoiceSettings& settings, const VoiceStart& start,
                ChannelLookup lookup, void* context)
{
    uint16_t number = start.instrument % kInstruments;
    uint16_t owner = voiceListOwner(pool, number);
    uint16_t i = pool.instruments[owner].tail;
    if (i == kNoVoice || pool.voices[i].handle == 0) return;
    Voice& v = pool.voices[i];
    if (v.bound) hostStop(host, v);
    unbind(pool, i);
    unlink(pool, i);
    pushFront(pool, owner, i);

    const Instrument& ins = pool.instruments[number];
    unsigned velocity = std::min(start.velocity, 127u);
    int64_t level = start.direct ? settings.nextVolume : int64_t{velocity} * velocity * kFullVolume / 16129;
    int64_t nextPan = start.direct ? settings.nextPan : 0;
    int64_t nextPitch = start.direct ? settings.nextPitch : 0;
    if (start.direct) {
        settings.nextVolume = kFullVolume;
        settings.nextPan = settings.nextPitch = 0;
    }
    v.instrument = number;
    v.volume = static_cast<int32_t>((((level * settings.masterVolume) >> 14) * ins.volume) >> 14);
    v.pan = clampPan(nextPan + settings.masterPan + ins.pan);
    v.pitch = clampPitch(int64_t{settings.masterPitch} + ins.pitch + nextPitch);
    v.flags = kVoiceSounding;
    if (start.direct) v.flags |= kVoiceDirect;
    if (ins.flags & kInstrumentLoop) v.flags |= kVoiceLoop;
    if (ins.flags & kInstrumentEnvelopes) v.flags |= kVoiceEnvelopes;
    if (start.direct && start.loop) v.flags |= kVoiceLoop;

    bool enabled = (v.flags & kVoiceEnvelopes) != 0;
    unsigned envelopeVelocity = start.direct ? 127 : velocity;
    v.hasRelease = false;
    for (unsigned k = 0; k < kEnvelopeKinds; ++k) {
        EnvelopeRecord record{};
        if (ins.envelopesGiven & (1u << k)) record = parseEnvelopeRecord(ins.envelopes[k]);
        startEnvelope(v.envelopes[k], record, enabled, envelopeVelocity, kNeutralLevel[k]);
        if (k == kEnvVolume) v.hasRelease = enabled && record.present && record.hasRelease;
    }
    v.elapsed = 0;
    v.duration = start.duration;
    v.port = start.port;
    v.channel = start.channel;
    v.key = start.direct ? kNoKey : start.key;

    v.lastVolume = v.lastPan = v.lastPitch = kNotYetAccepted;
    if (host.cb->voice_start_position) host.cb->voice_start_position(host.user, v.handle, 0);
    sendValues(host, v, lookup, context);
    bind(pool, i);
    if (host.cb->start_voice) host.cb->start_voice(host.user, v.handle, (v.flags & kVoiceLoop) ? 1 : 0);
}

void releaseKeyVoices(const VoiceHost& host, VoicePool& pool, unsigned port, unsigned channel, unsigned key)
{
    for (uint16_t i = pool.boundHead; i != kNoVoice;) {
        const Voice& v = pool.voices[i];
        uint16_t next = v.boundNext;
        if ((v.flags & kVoiceSounding) && v.key == key && v.port == port && v.channel == channel)
            releaseOrStop(host, pool, i);
        i = next;
    }
}

void stopRecentVoice(const VoiceHost& host, VoicePool& pool, uint16_t instrument)
{
    uint16_t i = pool.instruments[voiceListOwner(pool, instrument)].head;
    if (i != kNoVoice && pool.voices[i].bound && (pool.voices[i].flags & kVoiceSounding)) releaseOrStop(host, pool, i);
}

void fadeRecentVoice(const VoiceHost&, VoicePool& pool, uint16_t instrument, uint32_t units)
{
    uint16_t i = pool.instruments[voiceListOwner(pool, instrument)].head;
    if (i == kNoVoice || !pool.voices[i].bound) return;
    Voice& v = pool.voices[i];
    v.flags &= static_cast<uint8_t>(~kVoiceSounding);
    forceRelease(v.envelopes[kEnvVolume], units);
}

void stepVoices(const VoiceHost& host, VoicePool& pool, uint32_t units, ChannelLookup lookup, void* context)
{
    for (uint16_t i = pool.boundHead, next; i != kNoVoice; i = next) {
        Voice& v = pool.voices[i];
        next = v.boundNext;
        if (v.duration) {
            v.elapsed = saturatingAdd(v.elapsed, units);
            bool ended = v.elapsed >= v.duration;
            if (!ended && !(v.flags & kVoiceLoop) && host.cb->voice_playing)
                ended = (host.cb->voice_playing(host.user, v.handle) & 1) == 0;
            if (ended && (v.flags & kVoiceSounding)) {
                if (!v.hasRelease) {
                    stopAndRecycle(host, pool, i);
                    continue;
                }
                releaseOrStop(host, pool, i);
            }
        }
        for (auto& e : v.envelopes) stepEnvelope(e, units);
        if (isEnvelopeDone(v.envelopes[kEnvVolume])) {
            stopAndRecycle(host, pool, i);
            continue;
        }
        sendValues(host, v, lookup, context);
    }
}

} // namespace zemplay
