#include "device.h"
#include "pcm_layout.h"
#include "stream.h"

#include <cstring>

namespace audsink {
namespace {

int nextSegment(int index, int step = 1)
{
    return (index + step) % kSegments;
}

// Locks one segment of the buffer (under the buffer lock), lets fill write
// it, and unlocks it with all its bytes.
template <typename Fill>
void writeSegment(ds8_stream& stream, int index, Fill fill)
{
    if (!stream.buffer)
        return;
    platform::AudioLockedRegion region;
    {
        DeviceCall call(*stream.owner);
        if (stream.buffer->lock(uint32_t(index) * stream.segmentBytes, stream.segmentBytes, region) !=
            platform::kAudioOk)
            return;
    }
    fill(region.first, region.firstBytes);
    DeviceCall call(*stream.owner);
    stream.buffer->unlock(region.first, region.firstBytes, region.second, region.secondBytes);
}

uint8_t silenceOf(const ds8_stream& stream)
{
    return readLayout(stream.format).silence();
}

// A played segment is silenced when it is freed: should the decoder fall
// behind, the ring then plays silence instead of repeating old audio.
bool freeSegment(ds8_stream& stream, int index)
{
    if (!stream.filled[index])
        return false;
    stream.filled[index] = false;
    --stream.filledCount;
    const uint8_t silence = silenceOf(stream);
    writeSegment(stream, index, [&](uint8_t* bytes, uint32_t size) { std::memset(bytes, silence, size); });
    return true;
}

int playSegment(ds8_stream& stream)
{
    uint32_t cursor = 0;
    DeviceCall call(*stream.owner);
    if (stream.buffer->getCurrentPosition(&cursor, nullptr) != platform::kAudioOk)
        return -1;
    return static_cast<int>(std::min<uint32_t>(cursor / stream.segmentBytes, kSegments - 1));
}

} // namespace

void resetRing(ds8_stream& stream)
{
    stream.writeIndex = 0;
    stream.endOfData = false;
    stream.filledCount = 0;
    for (bool& f : stream.filled)
        f = false;
}

void fillSegment(ds8_stream& stream)
{
    std::lock_guard guard(stream.bufferLock);
    if (!stream.buffer)
        return;
    int a = stream.writeIndex;
    // Never write the segment being played: when the decoder fell behind
    // and the cursor caught up with the write index, writing resumes after
    // the cursor.
    if (stream.playing && playSegment(stream) == a)
        a = stream.writeIndex = nextSegment(a);
    if (stream.filled[a] || stream.filled[nextSegment(a)])
        return;
    size_t got = 0;
    const uint8_t silence = silenceOf(stream);
    Instance& instance = *stream.owner;
    writeSegment(stream, a, [&](uint8_t* bytes, uint32_t size) {
        got = stream.decoder.decode(&instance.host.table, stream.format, bytes, size);
        if (got > size)
            got = size;
        std::memset(bytes + got, silence, size - got);
    });
    if (got > 0) {
        stream.filled[a] = true;
        ++stream.filledCount;
        stream.writeIndex = nextSegment(a);
    } else {
        // Nothing came: the segment stays free (and silent) and is tried
        // again next tick, so the write index never runs ahead of the data.
        stream.endOfData = !stream.decoder.isEnd || stream.decoder.isEnd(&instance.host.table, stream.format);
    }
}

bool serviceRing(ds8_stream& stream)
{
    {
        std::lock_guard guard(stream.bufferLock);
        if (!stream.buffer)
            return true;
        const int c = playSegment(stream);
        if (c >= 0 && freeSegment(stream, nextSegment(c, 3)) && freeSegment(stream, nextSegment(c, 2)))
            freeSegment(stream, nextSegment(c, 1));
    }
    for (int i = 0; i < 3; ++i)
        fillSegment(stream);
    stream.decoder.decode(&stream.owner->host.table, stream.format, nullptr, 0);
    return stream.endOfData && stream.filledCount == 0;
}

} // namespace audsink
