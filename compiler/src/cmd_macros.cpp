// Modulators, built-in macros and system-exclusive messages.
#include "commands.h"

#include "image_writer.h"
#include "value_syntax.h"
#include "zem/command_words.h"

#include <vector>

namespace kvt {

namespace {

// Modulator targets: controllers 0..127, and -6..-1 for release velocity,
// tempo, gate offset, gate ratio, velocity and pitch bend.
int32_t readModTarget(TrackState& st)
{
    int32_t target = st.lastModTarget;
    st.cur.trySigned(target);
    if (target < -6 || target > 127) compileError(kErrIllegalParameter);
    st.cur.expect(',', kErrMissingParameter);
    return target;
}

// In the word, -6..-1 are the special targets 250..255.
unsigned targetByte(int32_t target) { return static_cast<unsigned>(target < 0 ? 256 + target : target); }

} // namespace

// «J» [t] «,» («+» p | «-» p)...
int32_t cmdModSwitch(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    int32_t target = readModTarget(st);
    std::vector<uint16_t> operands;
    for (;;) {
        uint8_t sign = cur.peek();
        if (sign != '+' && sign != '-') break;
        cur.skip();
        uint32_t bit = asUnsigned(cur.requireUnsigned());
        if (bit < 1 || bit > 16) compileError(kErrIllegalParameter);
        operands.push_back(zem::makeModSwitchOperand(targetByte(target), bit - 1, sign == '+'));
    }
    if (operands.empty()) {
        cur.peekRequired();
        compileError(kErrMissingParameter);
    }
    p.content();
    if (st.emitting()) {
        st.lastModTarget = target;
        for (uint16_t operand : operands) {
            p.out->word(zem::kModSwitch);
            p.out->word(operand);
        }
    }
    return 0;
}

// «M» [t] «,» [q] «,» v
int32_t cmdModSet(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    int32_t target = readModTarget(st);
    int32_t parameter = st.lastModParameter;
    cur.tryUnsigned(parameter);
    if (asUnsigned(parameter) >= 32) compileError(kErrIllegalParameter);
    cur.expect(',', kErrMissingParameter);
    int32_t value = cur.requireSigned();
    p.content();
    if (st.emitting()) {
        st.lastModTarget = target;
        st.lastModParameter = static_cast<uint8_t>(parameter);
        p.out->word(zem::makeModSet(asUnsigned(parameter), targetByte(target)));
        p.out->word(static_cast<uint16_t>(value));
    }
    return 0;
}

namespace {

constexpr size_t kMaxSysexBytes = 255;
constexpr size_t kChecksumFrom = 5; // the sixth byte of the message
constexpr uint16_t kChecksumMarker = 0x100;

// «${» hex pairs or «**» «}», checked character by character in every pass.
// Returns the characters when emitting.
void readSysexText(Cursor& cur, bool keep, std::vector<uint8_t>& chars)
{
    for (;;) {
        if (cur.atEnd()) compileError(kErrSyntax);
        uint8_t c = *cur.pos++;
        if (c == '}') return;
        if (!isHexDigit(c) && c != '*') compileError(kErrSyntax);
        if (keep) chars.push_back(c);
    }
}

void writeSysex(Parser& p, const std::vector<uint8_t>& chars)
{
    if (chars.size() % 2 != 0) compileError(kErrIllegalParameter);
    size_t count = chars.size() / 2;
    if (count > kMaxSysexBytes) compileError(kErrSysexTooLong);
    uint16_t message[kMaxSysexBytes];
    for (size_t i = 0; i < count; ++i) {
        uint8_t hi = chars[2 * i], lo = chars[2 * i + 1];
        if (hi == '*' && lo == '*') {
            message[i] = kChecksumMarker;
        } else if (hi == '*' || lo == '*') {
            compileError(kErrIllegalParameter);
        } else {
            message[i] = static_cast<uint16_t>(hexValue(hi) << 4 | hexValue(lo));
        }
    }
    uint8_t bytes[kMaxSysexBytes];
    for (size_t i = 0; i < count; ++i) {
        if (message[i] != kChecksumMarker) {
            bytes[i] = static_cast<uint8_t>(message[i]);
            continue;
        }
        if (i <= kChecksumFrom) compileError(kErrChecksum);
        unsigned sum = 0;
        for (size_t k = kChecksumFrom; k < i; ++k)
            if (message[k] != kChecksumMarker) sum += message[k];
        bytes[i] = static_cast<uint8_t>((128 - sum % 128) % 128);
    }
    p.out->word(zem::makeByteClass(zem::kSysex, static_cast<unsigned>(count)));
    p.out->bytes(bytes, count);
    if (count % 2 != 0) p.out->byte(0);
}

constexpr size_t kMaxMacroBytes = 63;
// Macro numbers share their word with the byte count above bit 5.
constexpr uint32_t kMacroNumbers = 64;

// «"» text «"», «,» bytes, «{» hex pairs «}», or nothing; at most 63 bytes,
// a closing character after them being read as the next command.
size_t readMacroArguments(Cursor& cur, uint8_t* bytes)
{
    if (cur.accept('"')) return cur.quotedBytes(bytes, kMaxMacroBytes);
    if (cur.accept('{')) return cur.bracedHexPairs(bytes, kMaxMacroBytes);
    size_t n = 0;
    if (cur.accept(',')) {
        do {
            bytes[n++] = static_cast<uint8_t>(cur.requireUnsigned());
        } while (n < kMaxMacroBytes && cur.accept(','));
    }
    return n;
}

} // namespace

// «${» message «}» or «$» n arguments
int32_t cmdMacro(Parser& p, uint8_t)
{
    TrackState& st = p.st;
    Cursor& cur = st.cur;
    if (cur.accept('{')) {
        std::vector<uint8_t> chars;
        readSysexText(cur, st.emitting(), chars);
        p.content();
        if (st.emitting()) writeSysex(p, chars);
        return 0;
    }
    uint32_t number = asUnsigned(cur.requireUnsigned());
    if (number >= kMacroNumbers) compileError(kErrIllegalParameter);
    uint8_t bytes[kMaxMacroBytes];
    size_t n = readMacroArguments(cur, bytes);
    p.content();
    if (st.emitting()) {
        p.out->word(zem::makeMacro(number, static_cast<unsigned>(n)));
        for (size_t i = 0; i < n; i += 2)
            p.out->word(static_cast<uint16_t>(bytes[i] | (i + 1 < n ? bytes[i + 1] << 8 : 0)));
    }
    return 0;
}

} // namespace kvt
