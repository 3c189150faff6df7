#include "stream_positions.h"

#include "conversions.h"
#include "pcm_layout.h"
#include "stream.h"

namespace audsink {
namespace {

uint32_t low(uint64_t v) { return static_cast<uint32_t>(v); }

uint32_t high(uint64_t v) { return static_cast<uint32_t>(v >> 32); }

uint64_t framesOf(const ds8_stream& stream, const DeferredRequest& request, int which)
{
    if (request.kind == DeferredRequest::Seconds)
        return secondsToFrames(readLayout(stream.format).rate, request.seconds[which]);
    return request.frames[which];
}

bool allows(const ds8_stream& stream, uint8_t flag) { return (stream.format[DW_RECORD_FLAGS] & flag) != 0; }

// The decoder call for an open stream.
int32_t send(ds8_stream& stream, PositionKind what, const DeferredRequest& request)
{
    const dw_host* host = &stream.owner->host.table;
    Decoder& d = stream.decoder;
    switch (what) {
    case PositionKind::Position: {
        if (!d.setPosition || !allows(stream, DW_CAN_SETPOS)) return DS8_POS_UNSUPPORTED;
        const uint64_t frame = framesOf(stream, request, 0);
        return d.setPosition(host, stream.format, low(frame), high(frame));
    }
    case PositionKind::End: {
        if (!d.setEnd || !allows(stream, DW_CAN_SETEND)) return DS8_POS_UNSUPPORTED;
        const uint64_t frame = framesOf(stream, request, 0);
        return d.setEnd(host, stream.format, low(frame), high(frame));
    }
    case PositionKind::Loop: {
        if (!d.setLoop || !allows(stream, DW_CAN_SETLOOP)) return DS8_POS_UNSUPPORTED;
        uint64_t start = framesOf(stream, request, 0);
        uint64_t end = framesOf(stream, request, 1);
        if (start >= end) start = end = 0;
        return d.setLoop(host, stream.format, low(start), high(start), low(end), high(end));
    }
    }
    return DS8_POS_UNSUPPORTED;
}

DeferredRequest& deferredOf(ds8_stream& stream, PositionKind what)
{
    switch (what) {
    case PositionKind::Position: return stream.deferredPosition;
    case PositionKind::End: return stream.deferredEnd;
    case PositionKind::Loop: break;
    }
    return stream.deferredLoop;
}

} // namespace

int32_t requestPosition(ds8_stream& stream, PositionKind what, const DeferredRequest& request)
{
    // A request meant for a file still to be opened waits for that open.
    if (!stream.opened || stream.closeRequest || stream.openRequest) {
        deferredOf(stream, what) = request;
        return DS8_POS_OK;
    }
    return send(stream, what, request);
}

void applyDeferred(ds8_stream& stream)
{
    for (PositionKind what : {PositionKind::Loop, PositionKind::End, PositionKind::Position}) {
        DeferredRequest& deferred = deferredOf(stream, what);
        if (deferred.kind != DeferredRequest::None) send(stream, what, deferred);
        deferred = DeferredRequest{};
    }
}

uint64_t currentFrame(ds8_stream& stream)
{
    if (!stream.format || !stream.decoder.getPosition || !allows(stream, DW_CAN_GETPOS)) return 0;
    return stream.decoder.getPosition(&stream.owner->host.table, stream.format);
}

} // namespace audsink
