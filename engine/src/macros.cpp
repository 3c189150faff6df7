// MACRO: the built-in exclusive messages, built from the track's SysEx
// header bytes, its channel and the argument bytes.
#include "commands.h"

#include "channel.h"
#include "core.h"
#include "macro_tables.h"

#include <array>
#include <initializer_list>

namespace zemplay {

namespace {

class Message {
public:
    explicit Message(Exec& x) : x_(x) {}
    Message& put(unsigned byte)
    {
        if (n_ < sizeof x_.in.message) x_.in.message[n_++] = static_cast<uint8_t>(byte);
        return *this;
    }
    Message& put(const uint8_t* bytes, size_t count)
    {
        for (size_t i = 0; i < count; ++i) put(bytes[i]);
        return *this;
    }
    // F0, manufacturer, device, model.
    Message& header() { return put(0xF0).put(x_.t.sysex[0]).put(x_.t.sysex[1]).put(x_.t.sysex[2]); }
    // The checksum of the bytes put since `from`.
    Message& checksumFrom(size_t from)
    {
        unsigned sum = 0;
        for (size_t i = from; i < n_; ++i) sum += x_.in.message[i];
        return put((0u - sum) & 0x7F);
    }
    size_t size() const { return n_; }
    void send() { sendExclusive(x_.in, x_.index, x_.in.message, n_); }

private:
    Exec& x_;
    size_t n_ = 0;
};

struct Args {
    const uint8_t* a;
    size_t n;
    size_t from(size_t i) const { return n > i ? n - i : 0; }
    const uint8_t* at(size_t i) const { return a + i; }
};

// Data set 1: header, 0x12, address and data, checksum over both, F7.
template <typename Fill> void dataSet(Exec& x, std::initializer_list<unsigned> address, Fill fill)
{
    Message m(x);
    m.header().put(0x12);
    size_t from = m.size();
    for (unsigned b : address) m.put(b);
    fill(m);
    m.checksumFrom(from).put(0xF7).send();
}
void dataSet(Exec& x, std::initializer_list<unsigned> address, const uint8_t* data, size_t n)
{
    dataSet(x, address, [&](Message& m) { m.put(data, n); });
}

unsigned channelMask(const uint8_t* lowHigh) { return lowHigh[0] | (unsigned{lowHigh[1]} << 8); }

template <typename PerChannel> void forChannels(unsigned mask, PerChannel per)
{
    for (unsigned i = 0; i < 16; ++i)
        if ((mask >> i) & 1u) per(i);
}

void putScaleTuning(Message& m, unsigned t, unsigned k, uint8_t o)
{
    auto bytes = scaleTuning(t, k, static_cast<int8_t>(o));
    m.put(bytes.data(), bytes.size());
}

// Universal messages: F0 7E/7F 7F, the bytes, F7.
void universal(Exec& x, unsigned kind, std::initializer_list<unsigned> lead, const uint8_t* rest, size_t n)
{
    Message m(x);
    m.put(0xF0).put(kind).put(0x7F);
    for (unsigned b : lead) m.put(b);
    m.put(rest, n).put(0xF7).send();
}

// The header-framed messages: header, lead bytes, the rest, F7.
void framed(Exec& x, std::initializer_list<unsigned> lead, const uint8_t* rest, size_t n)
{
    Message m(x);
    m.header();
    for (unsigned b : lead) m.put(b);
    m.put(rest, n).put(0xF7).send();
}

// Dot pattern page: 16 big-endian rows, sent as four 16-byte planes.
void dotPattern(Exec& x, const Args& g)
{
    unsigned page = g.a[0];
    std::array<unsigned, 16> rows{};
    for (unsigned i = 0; i < 16; ++i) rows[i] = (unsigned{g.a[1 + 2 * i]} << 8) | g.a[2 + 2 * i];
    dataSet(x, {0x10, page / 2 + 1, (page & 1) ? 0x40u : 0x00u}, [&](Message& m) {
        for (unsigned v : rows) m.put(v >> 11);
        for (unsigned v : rows) m.put((v >> 6) & 31);
        for (unsigned v : rows) m.put((v >> 1) & 31);
        for (unsigned v : rows) m.put((v & 1) << 4);
    });
}

// Bitmap: 16 little-endian columns as three planes.
void bitmap(Exec& x, const Args& g)
{
    std::array<unsigned, 16> cols{};
    for (unsigned i = 0; i < 16; ++i) cols[i] = g.a[2 + 2 * i] | (unsigned{g.a[3 + 2 * i]} << 8);
    Message m(x);
    m.header().put(0x07).put((unsigned{g.a[1]} << 4) | g.a[0]).put(0x00);
    for (unsigned v : cols) m.put(v >> 9);
    for (unsigned v : cols) m.put((v >> 2) & 0x7F);
    for (unsigned v : cols) m.put((v & 3) << 5);
    m.put(0xF7).send();
}

void buildMacro(Exec& x, unsigned code, const Args& g)
{
    const uint8_t* a = g.a;
    unsigned ch = x.t.channel;
    unsigned blk = kPartBlock[ch];
    switch (code) {
    case 0: universal(x, 0x7E, {}, a, g.n); break;
    case 1: universal(x, 0x7F, {}, a, g.n); break;
    case 2: {
        Message m(x);
        m.header().put(x.t.sysex[3]);
        size_t from = m.size();
        m.put(a, g.n).checksumFrom(from).put(0xF7).send();
        break;
    }
    case 3: framed(x, {}, a, g.n); break;
    case 4: universal(x, 0x7E, {0x09, a[0] == 1 ? 1u : a[0] == 2 ? 3u : 2u}, nullptr, 0); break;
    case 5: {
        static constexpr uint8_t kOff = 0x00, kOn = 0x01, kAll = 0x7F;
        if (a[0] == 1)
            dataSet(x, {0x40, 0x00, 0x7F}, &kOff, 1);
        else if (a[0] == 2)
            dataSet(x, {0x00, 0x00, 0x7F}, &kOff, 1);
        else if (a[0] == 3)
            dataSet(x, {0x00, 0x00, 0x7F}, &kOn, 1);
        else
            dataSet(x, {0x40, 0x00, 0x7F}, &kAll, 1);
        break;
    }
    case 6: framed(x, {0x00, 0x00, a[0] ? 0x7Fu : 0x7Eu, 0x00}, nullptr, 0); break;
    case 7: framed(x, {0x00, 0x00, 0x7D, a[0]}, nullptr, 0); break;
    case 8:
    case 9: universal(x, 0x7F, {0x04, 0x05, 0x01, 0x01, 0x01, 0x01, code == 8 ? 1u : 2u}, a, 2); break;
    case 10: universal(x, 0x7F, {0x09, a[0], ch, a[1], a[2]}, nullptr, 0); break;
    case 11: dataSet(x, {0x40, 0x01, 0x30u + a[0]}, g.at(1), g.from(1)); break;
    case 12:
        for (unsigned i = 0; i < 7; ++i) dataSet(x, {0x40, 0x01, 0x31 + i}, g.at(i), 1);
        break;
    case 13: dataSet(x, {0x40, 0x01, 0x38u + a[0]}, g.at(1), g.from(1)); break;
    case 14:
        for (unsigned i = 0; i < 8; ++i) dataSet(x, {0x40, 0x01, 0x39 + i}, g.at(i), 1);
        break;
    case 15: dataSet(x, {0x40, 0x01, 0x50u + a[0]}, g.at(1), g.from(1)); break;
    case 16:
        for (unsigned i = 0; i < 10; ++i) dataSet(x, {0x40, 0x01, 0x51 + i}, g.at(i), 1);
        break;
    case 17: dataSet(x, {0x40, 0x01, 0x10}, [&](Message& m) { m.put(a[9]).put(a, 9).put(g.at(10), 6); }); break;
    case 18: dataSet(x, {0x40, 0x10 + blk}, a, g.n); break;
    case 19:
        forChannels(channelMask(a), [&](unsigned i) { dataSet(x, {0x40, 0x10u + kPartBlock[i]}, g.at(2), g.from(2)); });
        break;
    case 20: dataSet(x, {0x40, 0x10 + blk, 0x40}, [&](Message& m) { putScaleTuning(m, a[0], a[1], a[2]); }); break;
    case 21:
        forChannels(channelMask(a), [&](unsigned i) {
            dataSet(x, {0x40, 0x10u + kPartBlock[i], 0x40}, [&](Message& m) { putScaleTuning(m, a[2], a[3], a[4]); });
        });
        break;
    case 22: dataSet(x, {0x40, 0x20 + blk, (unsigned{a[0]} << 4) | a[1]}, g.at(2), g.from(2)); break;
    case 23:
        forChannels(channelMask(a), [&](unsigned i) {
            dataSet(x, {0x40, 0x20u + kPartBlock[i], (unsigned{a[2]} << 4) | a[3]}, g.at(4), g.from(4));
        });
        break;
    case 24: dataSet(x, {0x41, (unsigned{a[0]} << 4) | a[1]}, g.at(2), g.from(2)); break;
    case 25: dataSet(x, {0x20, (unsigned{a[0]} << 4) | a[1]}, g.at(2), g.from(2)); break;
    case 26: dataSet(x, {0x21, (unsigned{a[0]} << 4) | a[1]}, g.at(2), g.from(2)); break;
    case 27: dataSet(x, {0x40, 0x40 + blk, 0x22}, a, 1); break;
    case 28: dataSet(x, {0x40, 0x03}, a, g.n); break;
    case 29: dataSet(x, {0x10, 0x00}, a, g.n); break;
    case 30: dotPattern(x, g); break;
    // Only the second half of the display pair is sent, as songs expect.
    case 31: dataSet(x, {0x20, 0x01}, g.at(1), 1); break;
    case 32: dataSet(x, {0x40, 0x00, a[0]}, g.at(1), g.from(1)); break;
    case 33: framed(x, {0x02, 0x01}, a, g.n); break;
    case 34: framed(x, {0x02, 0x01, 0x20u + a[0]}, g.at(1), g.from(1)); break;
    case 35: framed(x, {0x02, 0x01, 0x40u + a[0]}, g.at(1), g.from(1)); break;
    case 36: framed(x, {0x03}, a, g.n); break;
    case 37: framed(x, {0x08, ch}, a, g.n); break;
    case 38:
        forChannels(channelMask(g.at(1)), [&](unsigned i) {
            framed(x, {0x08, (unsigned{a[0]} << 4) | i}, g.at(3), g.from(3));
        });
        break;
    case 39: {
        Message m(x);
        m.header().put(0x08).put(ch).put(0x41);
        putScaleTuning(m, a[0], a[1], a[2]);
        m.put(0xF7).send();
        break;
    }
    case 40:
        forChannels(channelMask(g.at(1)), [&](unsigned i) {
            Message m(x);
            m.header().put(0x08).put((unsigned{a[0]} << 4) | i).put(0x41);
            putScaleTuning(m, a[3], a[4], a[5]);
            m.put(0xF7).send();
        });
        break;
    case 41: framed(x, {0x09, ch}, a, g.n); break;
    case 42:
        forChannels(channelMask(g.at(1)), [&](unsigned i) {
            framed(x, {0x09, (unsigned{a[0]} << 4) | i}, g.at(3), g.from(3));
        });
        break;
    case 43: framed(x, {0x30u + a[0]}, g.at(1), g.from(1)); break;
    case 44: framed(x, {0x06, 0x00, 0x00}, a, g.n); break;
    case 45: bitmap(x, g); break;
    default: break;
    }
}

} // namespace

// «MACRO» n argument bytes
void cmdMacro(Exec& x, uint16_t w)
{
    unsigned code = zem::macroCode(w), n = zem::macroBytes(w);
    const uint8_t* args = takePayload(x, n, zem::bytePayloadSize(n));
    if (!args) return;
    if (code >= zem::kMacroCount) {
        raiseError(x.in, DP_ILLEGAL_PARAMETER);
        return;
    }
    if (n < kMacroMinArgs[code]) {
        raiseError(x.in, DP_ARGS_TOO_SHORT);
        return;
    }
    if (!portExists(x.in, x.t.port)) return;
    buildMacro(x, code, Args{args, n});
}

} // namespace zemplay
