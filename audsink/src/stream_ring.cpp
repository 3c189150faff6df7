#include "device_lock.h"
#include "pcm_layout.h"
#include "stream.h"

#include <cstring>

namespace audsink {
namespace {

int nextSegment(int index, int step = 1) { return (index + step) % kSegments; }

// Locks one segment of the buffer (under the buffer lock), lets fill write
// it, and unlocks it with all its bytes.
template <typename Fill> void writeSegment(ds8_stream& stream, int index, Fill fill)
{
    if (!stream.buffer) return;
    platform::AudioLockedRegion region;
    {
        DeviceCall call(stream.owner->deviceLock);
        if (stream.buffer->lock(uint32_t(index) * stream.segmentBytes, stream.segmentBytes, region) !=
            platform::kAudioOk)
            return;
    }
    fill(region.first, region.firstBytes);
    DeviceCall call(stream.owner->deviceLock);
    stream.buffer->unlock(region.first, region.firstBytes, region.second, region.secondBytes);
}

uint8_t silenceOf(const ds8_stream& stream) { return readLayout(stream.format).silence(); }

// A played segment is silenced when it is freed: should the decoder fall
// behind, the ring then plays silence instead of repeating old audio.
// The play cursor and the region from it to the write cursor, which the
// mixer has already taken in and nobody may write.
struct Cursors {
    bool valid = false;
    uint32_t play = 0;
    uint32_t write = 0;
};

Cursors cursorsOf(ds8_stream& stream)
{
    Cursors c;
    DeviceCall call(stream.owner->deviceLock);
    c.valid = stream.buffer->getCurrentPosition(&c.play, &c.write) == platform::kAudioOk;
    return c;
}

int segmentAt(const ds8_stream& stream, uint32_t offset)
{
    return static_cast<int>(std::min<uint32_t>(offset / stream.segmentBytes, kSegments - 1));
}

bool isTakenIn(const ds8_stream& stream, int index, const Cursors& c)
{
    // Offline, the ticks run between two renders: the mixer holds nothing
    // ahead of the cursor then, and keeping clear of it only starves the ring.
    if (!stream.playing || stream.owner->offline) return false;
    const uint32_t total = kSegments * stream.segmentBytes;
    const uint32_t start = uint32_t(index) * stream.segmentBytes;
    const uint32_t busy = (c.write + total - c.play) % total;
    return (start + total - c.play) % total < busy || (c.play + total - start) % total < stream.segmentBytes;
}

bool freeSegment(ds8_stream& stream, int index, const Cursors& c)
{
    if (!stream.filled[index]) return false;
    stream.filled[index] = false;
    --stream.filledCount;
    const uint8_t silence = silenceOf(stream);
    if (!isTakenIn(stream, index, c))
        writeSegment(stream, index, [&](uint8_t* bytes, uint32_t size) { std::memset(bytes, silence, size); });
    return true;
}

} // namespace

void resetRing(ds8_stream& stream)
{
    stream.writeIndex = 0;
    stream.endOfData = false;
    stream.filledCount = 0;
    for (bool& f : stream.filled) f = false;
}

void fillSegment(ds8_stream& stream)
{
    std::lock_guard guard(stream.bufferLock);
    if (!stream.buffer) return;
    int a = stream.writeIndex;
    // Never write the segment being played: when the decoder fell behind
    // and the cursor caught up with the write index, writing resumes after
    // the cursor.  Nor one the mixer has already begun to take in.
    const Cursors c = stream.playing ? cursorsOf(stream) : Cursors{};
    if (c.valid && segmentAt(stream, c.play) == a) a = stream.writeIndex = nextSegment(a);
    if (stream.filled[a] || stream.filled[nextSegment(a)] || (c.valid && isTakenIn(stream, a, c))) return;
    size_t got = 0;
    const uint8_t silence = silenceOf(stream);
    Instance& instance = *stream.owner;
    writeSegment(stream, a, [&](uint8_t* bytes, uint32_t size) {
        got = stream.decoder.decode(&instance.host.table, stream.format, bytes, size);
        if (got > size) got = size;
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
        if (!stream.buffer) return true;
        const Cursors cursors = cursorsOf(stream);
        const int c = segmentAt(stream, cursors.play);
        if (cursors.valid && freeSegment(stream, nextSegment(c, 3), cursors) &&
            freeSegment(stream, nextSegment(c, 2), cursors))
            freeSegment(stream, nextSegment(c, 1), cursors);
    }
    for (int i = 0; i < 3; ++i) fillSegment(stream);
    stream.decoder.decode(&stream.owner->host.table, stream.format, nullptr, 0);
    return stream.endOfData && stream.filledCount == 0;
}

} // namespace audsink
