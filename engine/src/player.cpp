// The exported entries, the instance block and its operation table.
#include "channel.h"
#include "clock.h"
#include "core.h"
#include "image.h"
#include "modulators.h"
#include "notes.h"
#include "voice_layer.h"

#include "zem/command_words.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace zemplay {

namespace {

static_assert(sizeof(dp_options) == DP_OPTION_SLOTS * sizeof(void*));
static_assert(sizeof(dp_player) == DP_OPERATION_SLOTS * sizeof(void*));
static_assert(std::is_standard_layout_v<Instance> && offsetof(Instance, ops) == 0);
static_assert(std::is_trivially_default_constructible_v<Instance>);
static_assert(std::is_trivially_default_constructible_v<Port> && std::is_trivially_default_constructible_v<Track>);

constexpr uint32_t kInterfaceVersion = DP_INTERFACE_VERSION;
static_assert((kInterfaceVersion >> 8) == zem::kImageVersion);

constexpr size_t alignUp(size_t n) { return (n + 63) & ~size_t{63}; }

void* defaultAllocate(void*, size_t bytes) { return std::calloc(1, bytes); }
void defaultFree(void*, void* block) { std::free(block); }

// ---- Reset ---------------------------------------------------------------

void initTrack(Instance& in, unsigned i)
{
    Track& t = in.tracks[i];
    const uint8_t* entry = in.image + zem::kHeaderSize + zem::kTrackEntrySize * i;
    t.pos = zem::readU32(entry);
    t.end = t.pos + zem::readU32(entry + 4);
    t.begin = t.current = t.pos;
    t.running = true;
    t.velocity = t.rvel = 127;
    t.velScale = t.rvelScale = 256;
    t.ratioBase = t.ratioCur = 1024;
    t.gateDenominator = 1024;
    t.bendScale = 8192;
    const uint8_t sysex[4] = {0x41, 0x10, 0x42, 0x12};
    std::memcpy(t.sysex, sysex, sizeof sysex);
    initModulator(t.velMod, ModKind::Velocity, i);
    initModulator(t.rvelMod, ModKind::ReleaseVelocity, i);
    initModulator(t.ratioMod, ModKind::GateRatio, i);
    initModulator(t.ofsMod, ModKind::GateOffset, i);
    for (unsigned k = 0; k < kControllers; ++k) {
        t.ctrlSlides[k].target = SlideTarget::Controller;
        t.ctrlSlides[k].number = static_cast<uint8_t>(k);
        t.keypSlides[k].target = SlideTarget::KeyPressure;
        t.keypSlides[k].number = static_cast<uint8_t>(k);
    }
    t.bendSlide.target = SlideTarget::Bend;
    t.chanpSlide.target = SlideTarget::ChanPressure;
    t.glideSlide.target = SlideTarget::Glide;
}

void resetState(Instance& in)
{
    shutdownVoiceLayer(in);
    auto* state = reinterpret_cast<uint8_t*>(&in) + offsetof(Instance, cmdOffset);
    std::memset(state, 0, sizeof(Instance) - offsetof(Instance, cmdOffset));
    std::memset(static_cast<void*>(in.ports), 0, sizeof(Port) * in.portCount);
    unsigned tracks = zem::readU16(in.image + zem::kOffTrackCount);
    std::memset(static_cast<void*>(in.tracks), 0, sizeof(Track) * tracks);
    unsigned timebase = zem::readU16(in.image + zem::kOffTimebase);
    in.trackCount = tracks;
    in.timebaseRegister = timebase;
    in.tempoBase = in.tempoPeriod = in.lastTempo = zem::startPeriod(timebase);
    in.bar.barLength = timebase;
    in.bar.timebase = static_cast<uint16_t>(timebase);
    in.bar.beatsPerBar = 4;
    initModulator(in.tempoMod, ModKind::Tempo, 0);
    for (unsigned p = 0; p < in.portCount; ++p) initPort(in.ports[p], p);
    for (unsigned i = 0; i < tracks; ++i) initTrack(in, i);
    initVoiceLayer(in);
}

// ---- Operations --------------------------------------------------------------

int opReset(dp_player* self)
{
    Instance& in = instanceOf(self);
    if (in.busy) return DP_REENTERED;
    in.busy = true;
    resetState(in);
    in.busy = false;
    return DP_OK;
}

int opClose(dp_player* self)
{
    Instance& in = instanceOf(self);
    if (int rc = opReset(self)) return rc;
    in.cb.free(in.user, &in);
    return DP_OK;
}

int opAdvanceUnits(dp_player* self, uint32_t units, uint32_t increment)
{
    return advance(instanceOf(self), units, increment, false);
}
int opAdvanceTicks(dp_player* self, uint32_t ticks, uint32_t increment)
{
    return advance(instanceOf(self), ticks, increment, true);
}

int headerText(dp_player* self, size_t field, char* buffer, size_t size)
{
    Instance& in = instanceOf(self);
    return copyPayloadText(in.image, in.imageSize, zem::readU32(in.image + field), buffer, size);
}
int opNotice(dp_player* self, char* buffer, size_t size) { return headerText(self, zem::kOffNotice, buffer, size); }
int opTitle(dp_player* self, char* buffer, size_t size) { return headerText(self, zem::kOffTitle, buffer, size); }
int opEmptyText(dp_player* self, char* buffer, size_t size)
{
    Instance& in = instanceOf(self);
    return copyPayloadText(in.image, in.imageSize, 0, buffer, size);
}
int opMeta190(dp_player* self, char* buffer, size_t size)
{
    Instance& in = instanceOf(self);
    return copyPayloadText(in.image, in.imageSize, in.extension[0], buffer, size);
}
int opMeta191(dp_player* self, char* buffer, size_t size)
{
    Instance& in = instanceOf(self);
    return copyPayloadText(in.image, in.imageSize, in.extension[1], buffer, size);
}

int opDummy(dp_player*, uintptr_t, uintptr_t, uintptr_t) { return DP_DUMMY_FUNCTION; }
uint32_t opLastErrorOffset(dp_player* self) { return instanceOf(self).lastErrorOffset; }
int opTrackCount(dp_player* self) { return static_cast<int>(instanceOf(self).trackCount); }
int opTimebase(dp_player* self) { return zem::readU16(instanceOf(self).image + zem::kOffTimebase); }
uint32_t opMinLoopCount(dp_player* self) { return instanceOf(self).minLoopCount; }
int opFinished(dp_player* self) { return instanceOf(self).finished ? 1 : 0; }
int opReserved(dp_player*, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) { return DP_OK; }

int opReleaseNotes(dp_player* self, unsigned portMask, unsigned channelMask)
{
    Instance& in = instanceOf(self);
    if (in.busy) return DP_REENTERED;
    in.busy = true;
    releaseMaskedNotes(in, portMask, channelMask);
    in.busy = false;
    return in.result;
}

// Sends one value again on every selected port and channel, as if `track`
// had changed it; stops at the first nonzero result code.
template <typename Send> int resend(dp_player* self, int track, unsigned portMask, unsigned channelMask, Send send)
{
    Instance& in = instanceOf(self);
    if (in.busy) return DP_REENTERED;
    if (track < 0 || static_cast<unsigned>(track) >= in.trackCount) return DP_ILLEGAL_PARAMETER;
    in.busy = true;
    for (unsigned p = 0; p < in.portCount; ++p) {
        if (!((portMask >> p) & 1u)) continue;
        for (unsigned c = 0; c < kChannels && !isHalted(in); ++c)
            if ((channelMask >> c) & 1u) send(in, static_cast<unsigned>(track), p, c);
    }
    in.busy = false;
    return in.result;
}

int opResendKeyPressure(dp_player* self, int track, unsigned pm, unsigned cm, int key)
{
    if (key < 0 || key > 127) return DP_ILLEGAL_PARAMETER;
    return resend(self, track, pm, cm, [key](Instance& in, unsigned t, unsigned p, unsigned c) {
        sendKeyPressure(in, t, p, c, static_cast<unsigned>(key), false);
    });
}
int opResendController(dp_player* self, int track, unsigned pm, unsigned cm, int controller)
{
    if (controller < 0 || controller > 127) return DP_ILLEGAL_PARAMETER;
    return resend(self, track, pm, cm, [controller](Instance& in, unsigned t, unsigned p, unsigned c) {
        sendController(in, t, p, c, static_cast<unsigned>(controller), false);
    });
}
// The program goes straight to the host, whatever the output mode, the
// filter or skip mode say.
int opResendProgram(dp_player* self, int track, unsigned pm, unsigned cm)
{
    return resend(self, track, pm, cm, [](Instance& in, unsigned t, unsigned p, unsigned c) {
        if (in.cb.program_change)
            noteStatus(in, in.cb.program_change(in.user, static_cast<int>(p), static_cast<int>(t), static_cast<int>(c),
                                                in.ports[p].channels[c].program));
    });
}
int opResendChannelPressure(dp_player* self, int track, unsigned pm, unsigned cm)
{
    return resend(self, track, pm, cm,
                  [](Instance& in, unsigned t, unsigned p, unsigned c) { sendChanPressure(in, t, p, c, false); });
}
int opResendPitchBend(dp_player* self, int track, unsigned pm, unsigned cm)
{
    return resend(self, track, pm, cm,
                  [](Instance& in, unsigned t, unsigned p, unsigned c) { sendBend(in, t, p, c, false); });
}

int opBarCounter(dp_player* self, uint8_t* buffer, size_t size)
{
    if (buffer == nullptr || size < DP_BAR_COUNTER_SIZE) return DP_ILLEGAL_PARAMETER;
    const BarCounter& b = instanceOf(self).bar;
    buffer[0] = b.mode;
    buffer[1] = 0;
    buffer[2] = b.beatsPerBar;
    buffer[3] = b.beat;
    zem::writeU32(buffer + 4, b.barLength);
    zem::writeU32(buffer + 8, b.tickInBar);
    zem::writeU16(buffer + 12, b.bar);
    zem::writeU16(buffer + 14, b.timebase);
    zem::writeU32(buffer + 16, b.tickInBeat);
    return DP_OK;
}

void fillOperations(dp_player& ops)
{
    ops.close = opClose;
    ops.reset = opReset;
    ops.advance_units = opAdvanceUnits;
    ops.advance_ticks = opAdvanceTicks;
    ops.notice_text = opNotice;
    ops.title_text = opTitle;
    ops.empty_text = opEmptyText;
    ops.dummy = opDummy;
    ops.last_error_offset = opLastErrorOffset;
    ops.track_count = opTrackCount;
    ops.timebase = opTimebase;
    ops.min_loop_count = opMinLoopCount;
    ops.finished = opFinished;
    ops.release_notes = opReleaseNotes;
    ops.resend_key_pressure = opResendKeyPressure;
    ops.resend_controller = opResendController;
    ops.resend_program = opResendProgram;
    ops.resend_channel_pressure = opResendChannelPressure;
    ops.resend_pitch_bend = opResendPitchBend;
    ops.bar_counter = opBarCounter;
    for (auto& slot : ops.reserved) slot = opReserved;
    ops.meta190_text = opMeta190;
    ops.meta191_text = opMeta191;
}

} // namespace

} // namespace zemplay

using namespace zemplay;

extern "C" __attribute__((visibility("default"))) uint32_t dp_version(void) { return kInterfaceVersion; }

extern "C" __attribute__((visibility("default"))) dp_player* dp_const(int ports, const void* image, size_t imageSize,
                                                                      const dp_options* options, size_t optionsLength,
                                                                      void* user, int* error)
{
    if (ports < 0 || ports > DP_MAX_PORTS) return nullptr;
    unsigned portCount = ports == 0 ? 1u : static_cast<unsigned>(ports);
    dp_options cb{};
    if (options) {
        size_t slots = optionsLength / sizeof(void*);
        if (slots > DP_OPTION_SLOTS) slots = DP_OPTION_SLOTS;
        std::memcpy(static_cast<void*>(&cb), options, slots * sizeof(void*));
    }
    if (!cb.allocate || !cb.free) {
        cb.allocate = defaultAllocate;
        cb.free = defaultFree;
    }
    const auto* bytes = static_cast<const uint8_t*>(image);
    ImageInfo info{};
    if (validateImage(bytes, imageSize, &info) != DP_OK) {
        if (error) *error = DP_FORMAT_ERROR;
        return nullptr;
    }
    size_t portsAt = alignUp(sizeof(Instance));
    size_t tracksAt = portsAt + alignUp(sizeof(Port) * portCount);
    size_t size = tracksAt + sizeof(Track) * info.trackCount;
    void* block = cb.allocate(user, size);
    if (!block) {
        if (error) *error = DP_OUT_OF_MEMORY;
        return nullptr;
    }
    std::memset(block, 0, size);
    auto* in = new (block) Instance;
    in->image = bytes;
    in->imageSize = imageSize;
    in->user = user;
    in->blockSize = size;
    in->portCount = portCount;
    in->cb = cb;
    in->extension[0] = info.extension[0];
    in->extension[1] = info.extension[1];
    in->ports = reinterpret_cast<Port*>(static_cast<uint8_t*>(block) + portsAt);
    in->tracks = reinterpret_cast<Track*>(static_cast<uint8_t*>(block) + tracksAt);
    fillOperations(in->ops);
    resetState(*in);
    if (error) *error = DP_OK;
    return &in->ops;
}
