// Stream slots: 33 to 46, 53 to 60, 63 and 64.
#include "operations.h"
#include "pcm_layout.h"
#include "sound_controls.h"
#include "stream.h"
#include "stream_positions.h"

#include <algorithm>
#include <cstring>

namespace audsink {
namespace {

// The instance lock, then the stream's state lock: the order every caller
// keeps, so that the offline clock (which ticks under both) never waits on
// a caller that waits on it.
class StreamCall {
public:
    explicit StreamCall(ds8_stream& stream) : list_(stream.owner->instanceLock), state_(stream.stateLock) {}

private:
    std::lock_guard<std::mutex> list_;
    std::lock_guard<std::mutex> state_;
};

// Raises a request for the stream thread and withdraws its opposite, which
// may still be waiting there.
void raise(ds8_stream& stream, bool ds8_stream::*withdrawn, bool ds8_stream::*raised)
{
    stream.*withdrawn = false;
    stream.*raised = true;
}

int32_t open33(ds8_stream* stream, const char* file, const char* decoder, uint32_t ms, intptr_t pcm, intptr_t extra)
{
    if (!stream) return DS8_ERR_INVALID_ARG;
    StreamCall call(*stream);
    return openStream(*stream, file, decoder, ms, pcm, extra);
}

void close34(ds8_stream* stream)
{
    if (!stream) return;
    StreamCall call(*stream);
    closeStream(*stream);
}

ds8_stream* create35(ds8* self, uint32_t tickMs)
{
    LockedInstance instance(self);
    if (!instance) return nullptr;
    return createStream(*instance, tickMs);
}

void destroy36(ds8_stream* stream)
{
    if (!stream) return;
    Instance& instance = *stream->owner;
    std::lock_guard list(instance.instanceLock);
    destroyStream(instance, stream);
}

void play37(ds8_stream* stream)
{
    if (!stream) return;
    StreamCall call(*stream);
    raise(*stream, &ds8_stream::stopRequest, &ds8_stream::playRequest);
    stream->stopped = false;
}

void stop38(ds8_stream* stream)
{
    if (!stream) return;
    StreamCall call(*stream);
    raise(*stream, &ds8_stream::playRequest, &ds8_stream::stopRequest);
}

template <int32_t ds8_stream::*Want, int32_t (*Apply)(ds8_sound&, int32_t)>
int32_t control(ds8_stream* stream, int32_t value)
{
    if (!stream) return DS8_ERR_INVALID_ARG;
    StreamCall call(*stream);
    stream->*Want = value;
    std::lock_guard guard(stream->bufferLock);
    return Apply(*stream, value);
}

void switch42(ds8_stream* stream, intptr_t value)
{
    if (!stream) return;
    StreamCall call(*stream);
    if (stream->format && stream->decoder.switchTo)
        stream->decoder.switchTo(&stream->owner->host.table, stream->format, value);
}

void copyName(char (&to)[kNameBytes], const char* from)
{
    const size_t n = from ? strnlen(from, kNameBytes - 1) : 0;
    if (n > 0) std::memcpy(to, from, n);
    to[n] = 0;
}

void requestOpen43(ds8_stream* stream, const char* file, const char* decoder, uint32_t ms, intptr_t pcm, intptr_t extra)
{
    if (!stream || ms == 0) return;
    StreamCall call(*stream);
    stream->requestMs = ms;
    stream->requestPcm = pcm;
    stream->requestExtra = extra;
    copyName(stream->requestFile, file);
    copyName(stream->requestDecoder, decoder);
    raise(*stream, &ds8_stream::closeRequest, &ds8_stream::openRequest);
}

void requestClose44(ds8_stream* stream)
{
    if (!stream) return;
    StreamCall call(*stream);
    raise(*stream, &ds8_stream::openRequest, &ds8_stream::closeRequest);
}

int isOpen45(ds8_stream* stream)
{
    if (!stream) return 0;
    StreamCall call(*stream);
    return stream->opened && !stream->openRequest;
}

int isStopped46(ds8_stream* stream)
{
    if (!stream) return 1;
    StreamCall call(*stream);
    if (stream->openRequest) return 0;
    // A play request waits for an open only while one is under way: on a
    // closed stream (an open that failed, or none asked for) it never plays.
    if (stream->playRequest && stream->state != StreamState::Closed) return 0;
    return !stream->opened || stream->stopped;
}

DeferredRequest inFrames(uint32_t low0, uint32_t high0, uint32_t low1 = 0, uint32_t high1 = 0)
{
    DeferredRequest r;
    r.kind = DeferredRequest::Frames;
    r.frames[0] = uint64_t{high0} << 32 | low0;
    r.frames[1] = uint64_t{high1} << 32 | low1;
    return r;
}

DeferredRequest inSeconds(float first, float second = 0)
{
    DeferredRequest r;
    r.kind = DeferredRequest::Seconds;
    r.seconds[0] = first;
    r.seconds[1] = second;
    return r;
}

int32_t position(ds8_stream* stream, PositionKind what, const DeferredRequest& request)
{
    if (!stream) return DS8_POS_NO_STREAM;
    StreamCall call(*stream);
    return requestPosition(*stream, what, request);
}

int32_t setPosition53(ds8_stream* s, uint32_t low, uint32_t high)
{
    return position(s, PositionKind::Position, inFrames(low, high));
}

uint64_t getPosition54(ds8_stream* stream)
{
    if (!stream) return 0;
    StreamCall call(*stream);
    return currentFrame(*stream);
}

int32_t setPositionSeconds55(ds8_stream* s, float seconds)
{
    return position(s, PositionKind::Position, inSeconds(seconds));
}

double getPositionSeconds56(ds8_stream* stream)
{
    if (!stream) return 0;
    StreamCall call(*stream);
    if (!stream->format) return 0;
    return double(currentFrame(*stream)) / readLayout(stream->format).rate;
}

int32_t setEnd57(ds8_stream* s, uint32_t low, uint32_t high)
{
    return position(s, PositionKind::End, inFrames(low, high));
}

int32_t setEndSeconds58(ds8_stream* s, float seconds) { return position(s, PositionKind::End, inSeconds(seconds)); }

int32_t setLoop59(ds8_stream* s, uint32_t startLow, uint32_t startHigh, uint32_t endLow, uint32_t endHigh)
{
    return position(s, PositionKind::Loop, inFrames(startLow, startHigh, endLow, endHigh));
}

int32_t setLoopSeconds60(ds8_stream* s, float start, float end)
{
    return position(s, PositionKind::Loop, inSeconds(start, end));
}

int format63(ds8_stream* stream, uint8_t* buffer, size_t size)
{
    if (!stream || !buffer || size < DS8_FORMAT_RECORD_SIZE) return 1;
    StreamCall call(*stream);
    if (!stream->format) return 1;
    const size_t valid = stream->format[DW_RECORD_VERSION] == DW_RECORD_CURRENT_VERSION ? DW_RECORD_SIZE : 12;
    std::memcpy(buffer, stream->format, valid);
    std::memset(buffer + valid, 0, size - valid);
    return 0;
}

int32_t probe64(ds8_stream* stream, const char* file, const char* decoder, uint32_t ms, intptr_t pcm, intptr_t extra,
                uint8_t* buffer, size_t size)
{
    if (!stream || !buffer || size < DS8_FORMAT_RECORD_SIZE) return DS8_ERR_INVALID_ARG;
    StreamCall call(*stream);
    const int32_t result = openStream(*stream, file, decoder, ms, pcm, extra);
    if (result == DS8_OK) {
        std::memcpy(buffer, stream->format, DW_RECORD_SIZE);
        closeStream(*stream);
    }
    return result;
}

} // namespace

void fillStreamOperations(ds8& t)
{
    t.stream_open = &open33;
    t.stream_close = &close34;
    t.stream_create = &create35;
    t.stream_destroy = &destroy36;
    t.stream_play = &play37;
    t.stream_stop = &stop38;
    t.stream_level = &control<&ds8_stream::wantLevel, &applyLevel>;
    t.stream_pan = &control<&ds8_stream::wantPan, &applyPan>;
    t.stream_pitch = &control<&ds8_stream::wantPitch, &applyPitch>;
    t.stream_switch = &switch42;
    t.stream_request_open = &requestOpen43;
    t.stream_request_close = &requestClose44;
    t.stream_is_open = &isOpen45;
    t.stream_is_stopped = &isStopped46;
    t.stream_set_position = &setPosition53;
    t.stream_get_position = &getPosition54;
    t.stream_set_position_seconds = &setPositionSeconds55;
    t.stream_get_position_seconds = &getPositionSeconds56;
    t.stream_set_end = &setEnd57;
    t.stream_set_end_seconds = &setEndSeconds58;
    t.stream_set_loop = &setLoop59;
    t.stream_set_loop_seconds = &setLoopSeconds60;
    t.stream_format = &format63;
    t.stream_probe = &probe64;
}

} // namespace audsink
