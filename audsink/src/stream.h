// Streams: a decoder feeding a ring of four segments of one looping buffer,
// kept filled by the stream's own thread (or by the offline device's clock),
// which carries out the callers' requests on its next tick.
#pragma once

#include "instance.h"

namespace audsink {

// Under the instance lock.
ds8_stream* createStream(Instance& instance, uint32_t tickMs);
// Under the instance lock: unlinks, joins the thread, closes and frees.
void destroyStream(Instance& instance, ds8_stream* stream);

// The rest run under the stream's state lock.  The stream thread passes
// its hold of that lock, which an open lets go while the file is opened;
// the offline clock passes none.
void tickStream(ds8_stream& stream, std::unique_lock<std::mutex>* state = nullptr);
int32_t openStream(ds8_stream& stream, const char* file, const char* decoder, uint32_t bufferMs, intptr_t pcm,
                   intptr_t extra);
// Ends the stream: the close request is done, and whatever an open
// acquired (buffer, decoder handle) is released.
void closeStream(ds8_stream& stream);

// Ring of segments.
void resetRing(ds8_stream& stream);
void fillSegment(ds8_stream& stream);
// Frees the segments played since the last call and fills ahead; true once
// the decoder has ended and every decoded segment has played.
bool serviceRing(ds8_stream& stream);

// Hands the position, end and loop requests kept while the stream was not
// open to the decoder, in the order loop, end, position, and forgets them.
void applyDeferred(ds8_stream& stream);

} // namespace audsink
