// META events: the engine's own handling, then delivery to the host.
#include "commands.h"

#include "clock.h"
#include "core.h"
#include "voice_layer.h"

#include "zem/command_words.h"

#include <cstring>

namespace zemplay {

namespace {

// Microseconds per quarter note to 1/256 ms per tick.  A timebase register
// of 0 has no tick length: such an event changes nothing.
void metaTempo(Exec& x, const uint8_t* p)
{
    if (x.in.timebaseRegister == 0) return;
    uint64_t q = (uint64_t{p[0]} << 16) | (uint64_t{p[1]} << 8) | p[2];
    uint64_t value = (q << 8) / (uint64_t{x.in.timebaseRegister} * 250);
    if (value == 0) value = 1;
    if (value > 0xFFFFFF) value = 0xFFFFFF;
    setTempo(x.in, x.index, static_cast<uint32_t>(value));
}

// A signature with no beats or a bar that computes to no ticks would make
// the beat position divide by zero: the counter keeps its old bar.
void metaTimeSignature(Exec& x, const uint8_t* p)
{
    BarCounter& b = x.in.bar;
    unsigned nn = p[0], dd = p[1] % 32;
    uint64_t length = (uint64_t{zem::readU16(x.in.image + zem::kOffTimebase)} * nn) >> dd;
    if (nn == 0 || length == 0) return;
    if (b.tickInBar != 0) {
        if (b.bar != 0xFFFF) ++b.bar;
        b.tickInBar = 0;
        b.beat = 0;
        b.tickInBeat = 0;
    }
    b.beatsPerBar = static_cast<uint8_t>(nn);
    b.barLength = static_cast<uint32_t>(length > UINT32_MAX ? UINT32_MAX : length);
}

void metaUserWaveform(Exec& x, const uint8_t* p, unsigned n)
{
    x.t.userWaveLength = static_cast<uint8_t>(n);
    std::memcpy(x.t.userWave, p, n);
}

void metaStreamSync(Exec& x, const uint8_t* p)
{
    x.t.syncWaiting = true;
    x.t.running = false;
    x.t.syncValue = p[0];
}

bool deliveredAtStart(const Instance& in, uint32_t offset)
{
    uint32_t title = zem::readU32(in.image + zem::kOffTitle);
    uint32_t notice = zem::readU32(in.image + zem::kOffNotice);
    return offset == title || offset == notice || offset == in.extension[0] || offset == in.extension[1];
}

} // namespace

// «META» (type << 8 | n), n bytes, NUL
void cmdMeta(Exec& x, uint16_t)
{
    uint16_t lengthWord = readWord(x);
    unsigned type = zem::metaType(lengthWord), n = zem::metaBytes(lengthWord);
    uint32_t offset = x.t.pos;
    const uint8_t* p = takePayload(x, n + 1, zem::textPayloadSize(n));
    if (!p || deliveredAtStart(x.in, offset)) return;
    int track = static_cast<int>(x.index);
    switch (type) {
    case zem::kMetaEndOfTrack: return;
    case zem::kMetaTempo:
        if (n == 3) {
            metaTempo(x, p);
            return;
        }
        break;
    case zem::kMetaTimeSignature:
        if (n == 4) metaTimeSignature(x, p);
        track = 0;
        break;
    case zem::kMetaKeySignature: track = 0; break;
    case zem::kMetaUserWaveform: metaUserWaveform(x, p, n); break;
    case zem::kMetaStreamSync:
        if (n > 0) metaStreamSync(x, p);
        break;
    case 0x80:
    case 0x81:
    case 0x82:
    case 0x83:
    case 0x90:
    case 0x91:
    case 0x92: voiceMeta(x, type, p, n); break;
    case 0x84:
    case 0x85:
    case 0x86:
    case 0x87:
    case 0x8A:
    case 0x8B:
    case 0x8C:
    case 0x8D:
    case 0x8E:
    case 0x8F: streamMeta(x, type, p, n); break;
    default: break;
    }
    if (x.in.cb.meta_event)
        noteStatus(x.in, x.in.cb.meta_event(x.in.user, track, static_cast<int>(type), p, static_cast<int>(n)));
}

} // namespace zemplay
