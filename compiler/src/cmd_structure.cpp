// Structure commands: timebase, texts, settings, info items, stop, tempo,
// option bits and raw words.
#include "commands.h"

#include "image_writer.h"
#include "value_syntax.h"
#include "zem/command_words.h"

namespace kvt {

namespace {

// Writes a byte payload followed by a NUL, padded to even size.
void writeTextPayload(ImageWriter& out, const uint8_t* data, uint32_t n)
{
    out.bytes(data, n);
    out.byte(0);
    if (n % 2 == 0) out.byte(0);
}

} // namespace

// «%» n, n from 1 to 65535; applies in every pass.
int32_t cmdTimebase(Parser& p, uint8_t)
{
    uint32_t n = asUnsigned(p.st.cur.requireUnsigned());
    if (n == 0 || n > 0xFFFF) compileError(kErrIllegalParameter);
    p.st.timebase = static_cast<int32_t>(n);
    if (n > p.ctx.timebaseMax) p.ctx.timebaseMax = n;
    if (p.st.emitting()) {
        p.out->word(zem::kTimebase);
        p.out->word(static_cast<uint16_t>(n));
    }
    return 0;
}

// «;» text to the end of the line
int32_t cmdText(Parser& p, uint8_t)
{
    Cursor& cur = p.st.cur;
    const uint8_t* start = cur.pos;
    uint32_t n = cur.lineRemainder();
    cur.pos += n;
    p.content();
    if (p.st.emitting()) {
        if (n > 4095) compileError(kErrMetaTooLong);
        p.out->word(zem::makeText(n));
        writeTextPayload(*p.out, start, n);
    }
    return 0;
}

namespace {

void applySetting(Parser& p, uint32_t n, int32_t v)
{
    TrackState& st = p.st;
    if (n <= 255) {
        p.out->word(zem::makeParam(n));
        p.out->word(static_cast<uint16_t>(v));
    } else if (n <= 267) {
        st.tuning[n - 256] = static_cast<int16_t>(v);
    } else if (n == 269) {
        st.bendRange = v;
    } else if (n == 270) {
        st.chordMode = static_cast<uint8_t>(v);
    } else if (n >= 271 && n <= 273) {
        st.chordVelocity[n - 271] = static_cast<int16_t>(v);
    } else if (n >= 274 && n <= 276) {
        st.chordTiming[n - 274] = static_cast<uint16_t>(v);
    }
}

constexpr uint32_t kSettingConditionMask = 268;

} // namespace

// «=» n «,» v
int32_t cmdSetting(Parser& p, uint8_t)
{
    Cursor& cur = p.st.cur;
    uint32_t n = asUnsigned(cur.requireUnsigned());
    cur.expect(',', kErrMissingParameter);
    int32_t v = cur.requireSigned();
    if (n == kSettingConditionMask) {
        p.st.conditionMask = static_cast<uint16_t>(v);
    } else if (p.st.emitting()) {
        applySetting(p, n, v);
    }
    return 0;
}

namespace {

constexpr uint32_t kInfoMaxBytes = 256;

// «{» hex pairs «}» or «"» raw bytes «"»; at most 256 bytes, the closing
// character taken only when met within them.
uint32_t readInfoPayload(Cursor& cur, uint8_t* buffer)
{
    if (cur.accept('{')) return static_cast<uint32_t>(cur.bracedHexPairs(buffer, kInfoMaxBytes));
    if (cur.accept('"')) return static_cast<uint32_t>(cur.quotedBytes(buffer, kInfoMaxBytes));
    return 0;
}

} // namespace

// «?» n [«{» pairs «}» | «"» text «"»]
int32_t cmdInfo(Parser& p, uint8_t)
{
    Cursor& cur = p.st.cur;
    uint32_t type = asUnsigned(cur.requireUnsigned());
    if (type >= 256) compileError(kErrIllegalParameter);
    uint8_t payload[kInfoMaxBytes];
    uint32_t n = readInfoPayload(cur, payload);
    p.content();
    if (!p.st.emitting()) return 0;
    // The length byte of the word cannot hold 256.
    if (n == kInfoMaxBytes) compileError(kErrMetaTooLong);
    uint32_t start = p.out->position();
    p.out->word(zem::kMeta);
    p.out->word(zem::makeMetaLengthWord(type, n));
    writeTextPayload(*p.out, payload, n);
    if (p.st.trackNumber == 0) {
        for (int i = 0; i < 4; ++i) {
            if (kHeaderInfoTypes[i] == type && p.ctx.infoOffsets[i] == 0) p.ctx.infoOffsets[i] = start + 4;
        }
    }
    return 0;
}

int32_t cmdStop(Parser& p, uint8_t)
{
    if (p.st.emitting()) p.out->word(zem::kStop);
    return 0;
}

namespace {

constexpr uint32_t kMaxTempo = 0xFFFFFF;

// «*» t (1/256 ms per tick) or x beats per minute.
uint32_t readTempoValue(TrackState& st)
{
    Cursor& cur = st.cur;
    // A tempo must follow: the end of the text is not a zero tempo.
    cur.peekRequired();
    uint32_t t;
    if (cur.accept('*')) {
        t = asUnsigned(cur.requireUnsigned());
    } else {
        float bpm = cur.readReal();
        if (bpm == 0.0f) compileError(kErrIllegalParameter);
        long double exact = 61440000.0L / (static_cast<long double>(bpm) * st.timebase) + 0.5L;
        t = exact >= static_cast<long double>(kMaxTempo) ? kMaxTempo : static_cast<uint32_t>(exact);
    }
    if (t == 0) return 1;
    return t > kMaxTempo ? kMaxTempo : t;
}

} // namespace

// «T» tempo [«,» len [«,» tempo]]
int32_t cmdTempo(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    uint32_t tempo = readTempoValue(st);
    bool slide = false, curve = false;
    int32_t length = 0;
    uint32_t middle = 0;
    if (st.cur.accept(',')) {
        slide = true;
        length = readLength(st, 1);
        if (st.cur.accept(',')) {
            curve = true;
            middle = readTempoValue(st);
        }
    }
    p.content();
    if (!st.emitting()) return 0;
    ImageWriter& out = *p.out;
    uint16_t base = curve ? zem::kTempoCurve : slide ? zem::kTempoSlide : zem::kTempo;
    out.word(zem::makeTempoHigh(base, tempo));
    out.word(static_cast<uint16_t>(tempo));
    if (curve) {
        out.word(static_cast<uint16_t>(middle >> 16));
        out.word(static_cast<uint16_t>(middle));
    }
    if (slide) out.length(length);
    return 0;
}

// «`» («+» b | «-» b) ...
int32_t cmdOptionBits(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    bool any = false;
    for (;;) {
        uint8_t sign = cur.peek();
        if (sign != '+' && sign != '-') break;
        cur.skip();
        uint32_t b = asUnsigned(cur.requireUnsigned());
        if (b == 0) compileError(kErrIllegalParameter);
        any = true;
        if (!st.applies() || b > 16) continue;
        uint16_t bit = static_cast<uint16_t>(1u << (b - 1));
        if (sign == '+')
            st.options |= bit;
        else
            st.options &= static_cast<uint16_t>(~bit);
        if (bit == kOptWideBend) st.bendRange = sign == '+' ? 24 : 12;
    }
    if (!any) {
        cur.peekRequired();
        compileError(kErrMissingParameter);
    }
    return 0;
}

// «{» groups of four hex digits «}»
int32_t cmdRawWords(Parser& p, uint8_t)
{
    Cursor& cur = p.st.cur;
    bool emitting = p.st.emitting();
    while (cur.peekRequired() != '}') {
        uint8_t low = cur.hexPair();
        p.content();
        uint8_t high = cur.hexPair();
        if (emitting) {
            p.out->byte(low);
            p.out->byte(high);
        }
    }
    cur.skip();
    return 0;
}

} // namespace kvt
