#include "stream.h"

#include "conversions.h"
#include "device.h"
#include "pcm_layout.h"
#include "sound_controls.h"

#include <pthread.h>

#include <chrono>
#include <cstring>

namespace audsink {
namespace {

// Buffer flags of a stream: position cursor of the newer kind, global
// focus, volume, pan and frequency controls, in hardware; else deferred.
constexpr uint32_t kStreamFlagsHardware = 0x180E4;
constexpr uint32_t kStreamFlagsDeferred = 0x580E0;

void streamThread(ds8_stream* stream)
{
    // Named so that profilers and the benchmarks can tell the thread apart.
    pthread_setname_np(pthread_self(), "audsink stream");
    const auto interval = std::chrono::milliseconds(stream->tickMs);
    // While the offline device's clock runs the ticks at their exact frames
    // the thread only looks now and then whether the device changed.
    constexpr auto kOfflineInterval = std::chrono::milliseconds(200);
    while (!stream->quit) {
        const bool offline = stream->owner->offline;
        {
            std::unique_lock sleep(stream->sleepLock);
            stream->wake.wait_for(sleep, offline ? kOfflineInterval : interval, [&] { return stream->quit.load(); });
        }
        if (stream->quit) break;
        if (offline || stream->owner->offline) continue;
        std::unique_lock state(stream->stateLock, std::try_to_lock);
        if (!state || stream->quit) continue;
        tickStream(*stream);
    }
}

int32_t startPlaying(ds8_stream& stream)
{
    std::lock_guard guard(stream.bufferLock);
    return startBuffer(stream, DS8_PLAY_LOOP);
}

void stopPlaying(ds8_stream& stream)
{
    stream.stopRequest = false;
    {
        std::lock_guard guard(stream.bufferLock);
        stopBuffer(stream);
    }
    stream.playing = false;
    stream.stopped = true;
}

} // namespace

ds8_stream* createStream(Instance& instance, uint32_t tickMs)
{
    ds8_stream* stream = newRecord<ds8_stream>(instance);
    if (!stream) return nullptr;
    stream->owner = &instance;
    stream->kind = SoundKind::Stream;
    stream->blockBytes = 4;
    stream->tickMs = tickMs;
    linkSound(instance, stream);
    try {
        stream->thread = std::thread(streamThread, stream);
    } catch (const std::system_error&) {
        unlinkSound(instance, stream);
        deleteRecord(instance, stream);
        return nullptr;
    }
    return stream;
}

void destroyStream(Instance& instance, ds8_stream* stream)
{
    unlinkSound(instance, stream);
    {
        std::lock_guard sleep(stream->sleepLock);
        stream->quit = true;
    }
    stream->wake.notify_all();
    if (stream->thread.joinable()) stream->thread.join();
    {
        std::lock_guard state(stream->stateLock);
        closeStream(*stream);
    }
    deleteRecord<ds8_sound>(instance, stream);
}

void tickStream(ds8_stream& stream)
{
    switch (stream.state) {
    case StreamState::Closed:
        if (stream.openRequest) stream.state = StreamState::Opening;
        break;
    case StreamState::Opening:
        if (openStream(stream, stream.requestFile, stream.requestDecoder, stream.requestMs, stream.requestPcm,
                       stream.requestExtra) != DS8_OK)
            stream.state = StreamState::Closed;
        break;
    case StreamState::Open:
        if (stream.closeRequest || stream.openRequest) {
            stream.state = StreamState::Closing;
        } else if (stream.playRequest) {
            stream.playRequest = false;
            if (startPlaying(stream) == DS8_OK) stream.state = StreamState::Playing;
        }
        break;
    case StreamState::Playing:
        if (serviceRing(stream)) stream.stopRequest = true;
        // A new open request replaces the file that plays: stop, then close
        // and open as from the open state.
        if (stream.closeRequest || stream.stopRequest || stream.openRequest) {
            stopPlaying(stream);
            stream.state = StreamState::Open;
        }
        break;
    case StreamState::Closing: closeStream(stream); break;
    }
}

void closeStream(ds8_stream& stream)
{
    stream.stopped = false;
    stream.opened = false;
    stream.closeRequest = false;
    stream.playing = false;
    stream.state = StreamState::Closed;
    {
        std::lock_guard guard(stream.bufferLock);
        if (stream.buffer) {
            DeviceCall call(*stream.owner);
            stream.buffer->stop();
            stream.buffer.reset();
        }
    }
    if (stream.format) {
        stream.decoder.close(&stream.owner->host.table, stream.format);
        stream.format = nullptr;
    }
    releaseDecoder(stream.decoder);
    resetRing(stream);
}

int32_t openStream(ds8_stream& stream, const char* file, const char* decoderName, uint32_t bufferMs, intptr_t pcm,
                   intptr_t extra)
{
    Instance& instance = *stream.owner;
    stream.openRequest = false;
    if (!file || bufferMs == 0) return DS8_ERR_INVALID_ARG;
    if (!instance.device) return DS8_ERR_INVALID_CALL;
    closeStream(stream);

    int32_t result = DS8_ERR_INVALID_CALL;
    PcmLayout layout;
    if (loadDecoder(decoderName, stream.decoder) && resolveEntries(stream.decoder, true))
        stream.format = stream.decoder.open(&instance.host.table, 1, file, pcm, extra);
    if (stream.format) layout = readLayout(stream.format);
    if (stream.format && layout.isPlayable()) {
        stream.segmentBytes = segmentBytes(bufferMs, layout.rate, layout.channels, layout.sampleBytes);
        stream.playing = false;
        stream.paused = false;
        // A fresh buffer has full level, centre pan and its own rate: the
        // remembered values are sent against exactly those.
        resetSentValues(stream, layout.rate);
        std::unique_ptr<platform::AudioBuffer> buffer;
        const uint32_t bytes = kSegments * stream.segmentBytes;
        result = createBuffer(instance, kStreamFlagsHardware, layout.channels, layout.sampleBytes, layout.rate, bytes,
                              buffer);
        if (result != DS8_OK)
            result = createBuffer(instance, kStreamFlagsDeferred, layout.channels, layout.sampleBytes, layout.rate,
                                  bytes, buffer);
        std::lock_guard guard(stream.bufferLock);
        stream.buffer = std::move(buffer);
    }
    if (!stream.buffer) {
        closeStream(stream);
        return result == DS8_OK ? DS8_ERR_INVALID_CALL : result;
    }
    stream.blockBytes = 4;
    stream.lengthFrames = 0;
    {
        std::lock_guard guard(stream.bufferLock);
        {
            DeviceCall call(instance);
            stream.buffer->setCurrentPosition(0);
        }
        applyLevel(stream, stream.wantLevel);
        applyPan(stream, stream.wantPan);
        applyPitch(stream, stream.wantPitch);
    }
    applyDeferred(stream);
    resetRing(stream);
    for (int i = 0; i < 3; ++i) fillSegment(stream);
    stream.decoder.decode(&instance.host.table, stream.format, nullptr, 0);
    stream.opened = true;
    stream.state = StreamState::Open;
    return DS8_OK;
}

} // namespace audsink
