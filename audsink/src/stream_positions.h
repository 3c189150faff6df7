// Position, end and loop of a stream: handed to the decoder when the stream
// is open, kept for the next open otherwise.
#pragma once

#include "instance.h"

namespace audsink {

enum class PositionKind { Position, End, Loop };

// Under the state lock.  request.kind says frames or seconds.
int32_t requestPosition(ds8_stream& stream, PositionKind what, const DeferredRequest& request);
uint64_t currentFrame(ds8_stream& stream);

} // namespace audsink
