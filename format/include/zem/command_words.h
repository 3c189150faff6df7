// The ZEM image: header layout and the 16-bit command words of a track
// stream, with the helpers that make and take apart each word kind.  The
// compiler writes words only through these makers and the engine reads them
// only through these takers, so both sides agree on every bit.
//
// Header only, no dependencies: the compiler and the tests use it without
// linking the engine.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace zem {

// ---- Image header -------------------------------------------------------

inline constexpr char kMagic[8] = {'Q', 'O', 'R', 'S', 'Z', 'E', 'M', ':'};
// What the compiler writes at offset 0: magic, version text, four NULs.
inline constexpr char kMagicAndVersion[16] = {'Q', 'O', 'R', 'S', 'Z', 'E', 'M', ':', '0', '.', '4', '7', 0, 0, 0, 0};
inline constexpr uint32_t kImageVersion = 47;
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kTrackEntrySize = 8;
inline constexpr uint32_t kExtensionSize = 8;
inline constexpr uint16_t kDefaultTimebase = 192;
inline constexpr unsigned kMaxTracks = 256;

// The tempo period (1/256 ms per tick) every song starts at: 120 beats per
// minute for `timebase` ticks per whole note, round(61440000 / (timebase * 120)).
constexpr uint32_t startPeriod(unsigned timebase)
{
    const uint64_t divisor = uint64_t{timebase} * 120;
    return static_cast<uint32_t>((61440000u + divisor / 2) / divisor);
}
static_assert(startPeriod(192) == 2667);

// Header field offsets.
inline constexpr size_t kOffTrackCount = 16;    // u16
inline constexpr size_t kOffTimebase = 18;      // u16
inline constexpr size_t kOffTitle = 20;         // u32, payload of the first meta type 3 in track 0
inline constexpr size_t kOffNotice = 24;        // u32, payload of the first meta type 2 in track 0
inline constexpr size_t kOffExtensionSize = 28; // u32
// Extension block fields (relative to its start, 32 + 8 * track count).
inline constexpr size_t kExtOffMeta190 = 0;
inline constexpr size_t kExtOffMeta191 = 4;

// The version number of the text at offset 8: (b8 - '0') * 65536 +
// (b10 - '0') * 10 + (b11 - '0'); the point at b9 is not examined.
constexpr uint32_t imageVersionNumber(uint8_t b8, uint8_t b10, uint8_t b11)
{
    return static_cast<uint32_t>(b8 - '0') * 65536u + static_cast<uint32_t>(b10 - '0') * 10u +
           static_cast<uint32_t>(b11 - '0');
}

// ---- Little-endian access -------------------------------------------------

constexpr uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
constexpr uint32_t readU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
constexpr void writeU16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
constexpr void writeU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// ---- Signed fields ----------------------------------------------------------

constexpr int8_t signedByte(uint16_t w) { return static_cast<int8_t>(static_cast<uint8_t>(w & 0xFF)); }
constexpr int16_t signedWord(uint16_t w) { return static_cast<int16_t>(w); }

// ---- Length encoding ----------------------------------------------------------
// One word w; with bit 12 set a second word h follows and the value is
// (h << 12) | (w & 0x0FFF).  The compiler refuses values above kMaxLength.

inline constexpr uint32_t kMaxLength = 0x0FFFFFFF;
inline constexpr uint16_t kLengthLongFlag = 0x1000;

struct EncodedLength {
    std::array<uint16_t, 2> words;
    unsigned count; // 1 or 2
};

// value must not exceed kMaxLength.
constexpr EncodedLength encodeLength(uint32_t value)
{
    assert(value <= kMaxLength);
    if (value <= 0x0FFF) return {{static_cast<uint16_t>(value), 0}, 1};
    return {{static_cast<uint16_t>(kLengthLongFlag | (value & 0x0FFF)), static_cast<uint16_t>(value >> 12)}, 2};
}
constexpr bool lengthHasSecondWord(uint16_t first) { return (first & kLengthLongFlag) != 0; }
constexpr uint32_t decodeLength(uint16_t first, uint16_t second)
{
    return lengthHasSecondWord(first) ? (static_cast<uint32_t>(second) << 12) | (first & 0x0FFFu) : first;
}

// ---- Command word classes ----------------------------------------------------

enum : uint16_t {
    kWait = 0x0000,          // 0x0000-0x0FFF: wait bits 0-11 ticks
    kWaitLong = 0x1000,      // 0x1000-0x1FFF + word h: wait (h << 12) | bits 0-11
    kModSet = 0x2000,        // 0x2000-0x3FFF + signed word: modulator parameter bits 8-12 of target bits 0-7
    kCtrl = 0x4000,          // 0x4000-0x7FFF: controller bits 7-13, value bits 0-6
    kBend = 0x8000,          // 0x8000-0xBFFF: bend bits 0-13, centre 8192
    kNote = 0xC000,          // 0xC000-0xC1FF: key bits 0-6, bit 7 length follows, bit 8 wait after
    kPortChannel = 0xC200,   // port bits 4-7, channel bits 0-3
    kProgram = 0xC300,       // program bits 0-6
    kChanPressure = 0xC380,  // value bits 0-6
    kKeyPressure = 0xC400,   // value bits 0-6, bit 7 a key word follows
    kSlide = 0xC500,         // kind bits 6-7, flags bits 0-4
    kTrigger = 0xC600,       // track index bits 0-7
    kSysex = 0xC700,         // n = bits 0-7 bytes follow, padded to even
    kCtrlCommit = 0xC800,    // controller bits 0-6
    kCtrlClear = 0xC880,     // controller bits 0-6
    kKeypCommit = 0xC900,    // key bits 0-6
    kKeypClear = 0xC980,     // key bits 0-6
    kVelAdd = 0xCA00,        // signed byte
    kVelSet = 0xCB00,        // velocity bits 0-6
    kRvelSet = 0xCB80,       // release velocity bits 0-6
    kLoopBegin = 0xCC00,     // pass count bits 0-7 (0 endless)
    kTempo = 0xCD00,         // bits 0-7 high byte of the value, word t follows
    kTempoSlide = 0xCE00,    // + word t, length
    kTempoCurve = 0xCF00,    // + word t, words m1 m2, length
    kMacro = 0xD000,         // code bits 0-5, n = bits 6-11 bytes follow, padded
    kText = 0xE000,          // n = bits 0-11 bytes, NUL, padded
    kParam = 0xF000,         // register bits 0-7, word v follows
    kRvelAdd = 0xF100,       // signed byte
    kTriggerAllBut = 0xF200, // n = bits 0-7 indexes, two per word, low byte first
    kRvelCommit = 0xFFD8,
    kRvelClear = 0xFFD9,
    kGateOfsSet = 0xFFDA, // + signed word
    kGateOfsAdd = 0xFFDB, // + signed word
    kGateOfsCommit = 0xFFDC,
    kGateOfsClear = 0xFFDD,
    kGlideReset = 0xFFDE,
    kGlideSet = 0xFFDF, // + signed word
    kGlide = 0xFFE0,    // 0xFFE0-0xFFE7, flags bits 0-2
    kCtrlAdd = 0xFFE8,  // + word: controller bits 8-14, signed low byte
    kBendAdd = 0xFFE9,  // + signed word
    kKeypAdd = 0xFFEA,  // + word: key bits 8-14, signed low byte
    kChanpAdd = 0xFFEB, // + word: signed low byte
    kStateSave = 0xFFEC,
    kStateRestore = 0xFFED,
    kGateRatioSet = 0xFFEE, // + word
    kGateRatioAdd = 0xFFEF, // + signed word
    kGateRatioCommit = 0xFFF0,
    kGateRatioClear = 0xFFF1,
    kVelCommit = 0xFFF2,
    kVelClear = 0xFFF3,
    kBendCommit = 0xFFF4,
    kBendClear = 0xFFF5,
    kChanpCommit = 0xFFF6,
    kChanpClear = 0xFFF7,
    kMeta = 0xFFF8,     // + word (type << 8) | n, n bytes, NUL, padded
    kTimebase = 0xFFF9, // + word
    kAllNotesOff = 0xFFFA,
    kModSwitch = 0xFFFB, // + word: target bits 0-7, flag bits 8-12, set bit 13
    kLoopEnd = 0xFFFC,
    kLoopBreak = 0xFFFD,
    kStop = 0xFFFE,
    kEnd = 0xFFFF,
};

// ---- Makers ------------------------------------------------------------------
// Every field must already be in range: the compiler checks each value before
// it makes a word, so a value out of range is our own mistake, caught here in
// debug builds.  The masks keep a release build from spilling into the class.

constexpr bool fitsBits(uint32_t value, unsigned width) { return value < (uint32_t{1} << width); }

constexpr uint16_t makeWait(uint32_t ticks)
{
    assert(fitsBits(ticks, 12));
    return static_cast<uint16_t>(kWait | (ticks & 0x0FFF));
}

inline constexpr uint16_t kNoteHasLength = 0x0080;
inline constexpr uint16_t kNoteWaitAfter = 0x0100;
constexpr uint16_t makeNote(unsigned key, bool hasLength, bool waitAfter)
{
    assert(fitsBits(key, 7));
    return static_cast<uint16_t>(kNote | (key & 0x7F) | (hasLength ? kNoteHasLength : 0) |
                                 (waitAfter ? kNoteWaitAfter : 0));
}
constexpr uint16_t makeCtrl(unsigned controller, unsigned value)
{
    assert(fitsBits(controller, 7) && fitsBits(value, 7));
    return static_cast<uint16_t>(kCtrl | ((controller & 0x7F) << 7) | (value & 0x7F));
}
// bend -8192..8191
constexpr uint16_t makeBend(int bend)
{
    assert(bend >= -8192 && bend <= 8191);
    return static_cast<uint16_t>(kBend | ((bend + 8192) & 0x3FFF));
}
constexpr uint16_t makePortChannel(unsigned port, unsigned channel)
{
    assert(fitsBits(port, 4) && fitsBits(channel, 4));
    return static_cast<uint16_t>(kPortChannel | ((port & 0x0F) << 4) | (channel & 0x0F));
}
// Classes sharing one high byte (PROGRAM and CHAN_PRESSURE, the COMMIT and
// CLEAR pairs, VEL_SET and RVEL_SET) tell their halves apart by bit 7.
inline constexpr uint16_t kSecondHalf = 0x0080;
constexpr uint16_t make7BitClass(uint16_t base, unsigned v)
{
    assert(fitsBits(v, 7));
    return static_cast<uint16_t>(base | (v & 0x7F));
}
constexpr uint16_t makeByteClass(uint16_t base, unsigned byte)
{
    assert(fitsBits(byte, 8));
    return static_cast<uint16_t>(base | (byte & 0xFF));
}
constexpr uint16_t makeProgram(unsigned program) { return make7BitClass(kProgram, program); }
constexpr uint16_t makeChanPressure(unsigned v) { return make7BitClass(kChanPressure, v); }
inline constexpr uint16_t kKeyPressureHasKey = 0x0080;
constexpr uint16_t makeKeyPressure(unsigned value, bool hasKey)
{
    return static_cast<uint16_t>(make7BitClass(kKeyPressure, value) | (hasKey ? kKeyPressureHasKey : 0));
}
constexpr uint16_t makeMacro(unsigned code, unsigned nbytes)
{
    assert(fitsBits(code, 6) && fitsBits(nbytes, 6));
    return static_cast<uint16_t>(kMacro | ((nbytes & 0x3F) << 6) | (code & 0x3F));
}
constexpr uint16_t makeText(unsigned nbytes)
{
    assert(fitsBits(nbytes, 12));
    return static_cast<uint16_t>(kText | (nbytes & 0x0FFF));
}
constexpr uint16_t makeParam(unsigned reg) { return makeByteClass(kParam, reg); }
constexpr uint16_t makeModSet(unsigned parameter, unsigned target)
{
    assert(fitsBits(parameter, 5) && fitsBits(target, 8));
    return static_cast<uint16_t>(kModSet | ((parameter & 0x1F) << 8) | (target & 0xFF));
}
inline constexpr uint16_t kModSwitchSet = 0x2000;
constexpr uint16_t makeModSwitchOperand(unsigned target, unsigned flagBit, bool set)
{
    assert(fitsBits(target, 8) && fitsBits(flagBit, 5));
    return static_cast<uint16_t>((target & 0xFF) | ((flagBit & 0x1F) << 8) | (set ? kModSwitchSet : 0));
}
constexpr uint16_t makeMetaLengthWord(unsigned type, unsigned nbytes)
{
    assert(fitsBits(type, 8) && fitsBits(nbytes, 8));
    return static_cast<uint16_t>(((type & 0xFF) << 8) | (nbytes & 0xFF));
}
// The tempo's bits 16-23 go into the command word, its low word follows.
constexpr uint16_t makeTempoHigh(uint16_t base, uint32_t tempo)
{
    assert(fitsBits(tempo, 24));
    return static_cast<uint16_t>(base | ((tempo >> 16) & 0xFF));
}

// SLIDE: kind in bits 6-7, flags in bits 0-4.
enum class SlideKind : unsigned { Controller = 0, Bend = 1, KeyPressure = 2, ChanPressure = 3 };
inline constexpr uint16_t kSlideRelA = 0x01;
inline constexpr uint16_t kSlideRelB = 0x02;
inline constexpr uint16_t kSlideTwoValues = 0x04;
inline constexpr uint16_t kSlideHasLength = 0x08;
inline constexpr uint16_t kSlideWaitAfter = 0x10;
constexpr uint16_t makeSlide(SlideKind kind, unsigned flags)
{
    assert(fitsBits(flags, 5));
    return static_cast<uint16_t>(kSlide | (static_cast<unsigned>(kind) << 6) | (flags & 0x1F));
}
// GLIDE: flags in bits 0-2.
inline constexpr uint16_t kGlideHasLength = 0x01;
inline constexpr uint16_t kGlideWaitAfter = 0x02;
inline constexpr uint16_t kGlideTwoValues = 0x04;
constexpr uint16_t makeGlide(unsigned flags)
{
    assert(fitsBits(flags, 3));
    return static_cast<uint16_t>(kGlide | (flags & 0x07));
}

// ---- Takers -----------------------------------------------------------------

// A bit field of a word: field(w) takes it out; a flag: flag(w) tests it.
// Fields are data, one line per word kind, so the layout reads as a table.
struct Field {
    unsigned lo;
    unsigned count;
    constexpr unsigned operator()(uint16_t w) const { return (w >> lo) & ((1u << count) - 1u); }
};
struct Flag {
    uint16_t mask;
    constexpr bool operator()(uint16_t w) const { return (w & mask) != 0; }
};

constexpr unsigned topNibble(uint16_t w) { return w >> 12; }
inline constexpr unsigned kTopNibbleCount = 16;
// Bits 8-11 split classes 0xC and 0xF.
inline constexpr Field subclass{8, 4};
inline constexpr unsigned kSubclassCount = 1u << subclass.count;

inline constexpr Field waitTicks{0, 12};
inline constexpr Field ctrlNumber{7, 7}, ctrlValue{0, 7};
inline constexpr Field bendField{0, 14};
inline constexpr Field noteKey{0, 7};
inline constexpr Flag noteHasLength{kNoteHasLength}, noteWaitAfter{kNoteWaitAfter};
inline constexpr Field portField{4, 4}, channelField{0, 4};
inline constexpr Field sevenBitValue{0, 7}, byteValue{0, 8};
inline constexpr Flag isSecondHalf{kSecondHalf}, keyPressureHasKey{kKeyPressureHasKey};
inline constexpr Field slideKindField{6, 2}, slideFlags{0, 5};
inline constexpr Field glideFlags{0, 3};
inline constexpr Field macroCode{0, 6}, macroBytes{6, 6};
inline constexpr Field textBytes{0, 12};
// The word after META.
inline constexpr Field metaType{8, 8}, metaBytes{0, 8};
// Operand words holding a number in bits 8-14 and a value in the low byte
// (CTRL_ADD, KEYP_ADD, controller and key-pressure slides).
inline constexpr Field operandNumber{8, 7}, operandLowByte{0, 8}, operandHighByte{8, 8};

constexpr int bendValue(uint16_t w) { return static_cast<int>(bendField(w)) - 8192; }
constexpr SlideKind slideKind(uint16_t w) { return static_cast<SlideKind>(slideKindField(w)); }
// A tempo command's high byte and the word after it.
constexpr uint32_t tempoValue(uint16_t w, uint16_t low) { return (uint32_t{byteValue(w)} << 16) | low; }

// ---- PARAM registers ---------------------------------------------------------

enum ParamRegister : uint8_t {
    kParamSlideInterval = 0,
    kParamSlideRandom = 1,
    kParamTempoSlideInterval = 2,
    kParamTempoSlideRandom = 3,
    kParamTransposeSet = 4,
    kParamTransposeAdd = 5,
    kParamHoldA = 6,
    kParamHoldB = 7,
    kParamSysexManufacturer = 8,
    kParamSysexDevice = 9,
    kParamSysexModel = 10,
    kParamSysexCommand = 11,
    kParamFinePitchSet = 12,
    kParamFinePitchAdd = 13,
    kParamDataIncrement = 14,
    kParamBendScale = 15,
    kParamControllerFilter = 16, // 16..23, one word of 16 controllers each
    kParamTrackFilter = 24,
    kParamBarControl = 25,
    kParamBarTickAdd = 26,
    kParamVelocityCurve = 27,
    kParamVelocityScale = 28,
    kParamReleaseScale = 29,
    kParamModOption = 30, // 30..39: option bit (r - 30) / 2, even clears, odd sets
    kParamGateBase = 40,
    kParamGateFlags = 41,
    kParamGateDenominator = 42,
    kParamOutputMode = 100,
    kParamVoicePool = 101,
    kParamVoiceLast = 121, // 102..121: voice-layer settings
    kParamStreamSlot = 130,
    kParamStreamLast = 133, // 131..133: stream open parameters
    kParamExtraTicks = 252,
    kParamSkipMark = 253,
    kParamSkipUnmark = 254,
    kParamSkipMode = 255,
};

// PARAM 253/254 values naming a message kind instead of a controller.
inline constexpr uint16_t kSkipMarkBend = 0xFFFF;
inline constexpr uint16_t kSkipMarkProgram = 0xFFFE;
inline constexpr uint16_t kSkipMarkChanPressure = 0xFFFD;
inline constexpr uint16_t kSkipMarkKeyPressure = 0xFFFC;

// Track filter bits (PARAM 24) and gate flags (PARAM 41).
inline constexpr uint16_t kFilterProgram = 0x01;
inline constexpr uint16_t kFilterBankMsb = 0x02;
inline constexpr uint16_t kFilterBankLsb = 0x04;
inline constexpr uint16_t kGateExclusive = 0x01;

// ---- Meta types ------------------------------------------------------------------

enum MetaType : uint8_t {
    kMetaText = 0x01,
    kMetaNotice = 0x02,
    kMetaTitle = 0x03,
    kMetaEndOfTrack = 0x2F,
    kMetaTempo = 0x51,
    kMetaTimeSignature = 0x58,
    kMetaKeySignature = 0x59,
    kMetaVoiceFirst = 0x80, // 0x80..0x83, 0x90..0x92: voice layer
    kMetaStreamOpen = 0x84, // 0x84..0x87, 0x8A..0x8F: stream slots
    kMetaUserWaveform = 0x88,
    kMetaStreamSync = 0x89,
    kMetaVoiceLast = 0x92,
    kMetaExtension1 = 0xBE,
    kMetaExtension2 = 0xBF,
};

// ---- Modulators --------------------------------------------------------------------
// MOD_SET / MOD_SWITCH target byte: 0..127 a controller of the current port
// and channel, 128..249 illegal, then these.

enum ModTarget : uint8_t {
    kModTargetReleaseVelocity = 250,
    kModTargetTempo = 251,
    kModTargetGateOffset = 252,
    kModTargetGateRatio = 253,
    kModTargetVelocity = 254,
    kModTargetBend = 255,
};
inline constexpr unsigned kModFirstSpecialTarget = 250;

inline constexpr Field modSetParameter{8, 5}, modTarget{0, 8};
inline constexpr Field modSwitchFlag{8, 5};
inline constexpr Flag modSwitchSets{kModSwitchSet};

inline constexpr unsigned kMacroCount = 46;
inline constexpr unsigned kLoopDepth = 16;

// ---- Payload sizes ---------------------------------------------------------
// TEXT and META: n bytes + NUL, padded to even.  SYSEX and MACRO: n bytes,
// padded to even.

constexpr uint32_t textPayloadSize(uint32_t n) { return (n + 2) & ~1u; }
constexpr uint32_t bytePayloadSize(uint32_t n) { return (n + 1) & ~1u; }

static_assert(encodeLength(0x2005).words[0] == 0x1005 && encodeLength(0x2005).words[1] == 0x0002);
static_assert(decodeLength(0x1005, 0x0002) == 0x2005);
static_assert(makeNote(0x3C, true, true) == 0xC1BC);
static_assert(textPayloadSize(3) == 4 && textPayloadSize(4) == 6 && bytePayloadSize(5) == 6);

} // namespace zem
