#include "stream.h"

#include "conversions.h"
#include "device_buffer.h"
#include "pcm_layout.h"
#include "platform/audio.h"
#include "sound_controls.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

namespace audsink {
namespace {

// Buffer flags of a stream: position cursor of the newer kind, global
// focus, volume, pan and frequency controls, in hardware; else deferred.
constexpr uint32_t kStreamControls = platform::kAudioBufferGetCurrentPosition2 | platform::kAudioBufferGlobalFocus |
                                     platform::kAudioBufferCtrlVolume | platform::kAudioBufferCtrlPan |
                                     platform::kAudioBufferCtrlFrequency;
constexpr uint32_t kStreamFlagsHardware = kStreamControls | platform::kAudioBufferLocHardware;
constexpr uint32_t kStreamFlagsDeferred = kStreamControls | platform::kAudioBufferLocDefer;

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
        tickStream(*stream, &state);
    }
}

int32_t startPlaying(ds8_stream& stream)
{
    std::lock_guard guard(stream.bufferLock);
    return startBuffer(stream, DS8_PLAY_LOOP);
}

// A play request carried out while every sound is paused leaves the stream
// playing and paused: nothing sounds until the pause ends.
int32_t startOrHold(ds8_stream& stream)
{
    if (!stream.owner->allPaused) return startPlaying(stream);
    stream.playFlags = DS8_PLAY_LOOP;
    stream.playing = true;
    stream.paused = true;
    return DS8_OK;
}

// Whatever an open acquired goes: buffer, decoder handle, decoder.  The
// requests stay as they are.
void releaseStream(ds8_stream& stream)
{
    stream.stopped = false;
    stream.opened = false;
    stream.playing = false;
    stream.paused = false;
    stream.state = StreamState::Closed;
    {
        std::lock_guard guard(stream.bufferLock);
        if (stream.buffer) {
            DeviceCall call(stream.owner->deviceLock);
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

// The part of an open that touches the file: the decoder and its handle.
struct OpenedFile {
    Decoder decoder;
    uint8_t* format = nullptr;
};

OpenedFile openFile(Instance& instance, const char* file, const char* decoderName, intptr_t pcm, intptr_t extra)
{
    OpenedFile opened;
    if (loadDecoder(decoderName, opened.decoder) && resolveEntries(opened.decoder, true))
        opened.format = opened.decoder.open(&instance.host.table, 1, file, pcm, extra);
    return opened;
}

// The rest of an open, on a released stream: the ring buffer, the remembered
// controls and requests, the first segments.
int32_t startStream(ds8_stream& stream, OpenedFile opened, uint32_t bufferMs);

// Carries out the pending open request.  The stream thread opens the file
// without the state lock, so that a file system that blocks holds up no
// caller; what the callers asked meanwhile decides afterwards.
void openRequested(ds8_stream& stream, std::unique_lock<std::mutex>* state)
{
    stream.openRequest = false;
    releaseStream(stream);
    const uint32_t bufferMs = stream.requestMs;
    if (!stream.owner->device || bufferMs == 0) return;
    const std::string file = stream.requestFile;
    const std::string decoder = stream.requestDecoder;
    const intptr_t pcm = stream.requestPcm;
    const intptr_t extra = stream.requestExtra;
    stream.state = StreamState::Opening;
    stream.openInFlight = true;
    if (state) state->unlock();
    OpenedFile opened = openFile(*stream.owner, file.c_str(), decoder.c_str(), pcm, extra);
    if (state) state->lock();
    stream.openInFlight = false;
    stream.state = StreamState::Closed;
    if (stream.closeRequest || stream.openRequest || !opened.format) {
        if (opened.format) opened.decoder.close(&stream.owner->host.table, opened.format);
        // A close asked for meanwhile ends the stream; a new open comes next.
        if (!stream.openRequest) stream.closeRequest = stream.playRequest = false;
        return;
    }
    if (startStream(stream, std::move(opened), bufferMs) != DS8_OK && !stream.openRequest) stream.playRequest = false;
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

void tickStream(ds8_stream& stream, std::unique_lock<std::mutex>* state)
{
    switch (stream.state) {
    case StreamState::Closed:
        if (stream.openRequest) stream.state = StreamState::Opening;
        break;
    case StreamState::Opening:
        // A close asked for before the open began ends the stream here.
        if (stream.openInFlight) break;
        if (stream.closeRequest)
            closeStream(stream);
        else
            openRequested(stream, state);
        break;
    case StreamState::Open:
        if (stream.closeRequest || stream.openRequest) {
            stream.state = StreamState::Closing;
        } else if (stream.playRequest) {
            stream.playRequest = false;
            if (startOrHold(stream) == DS8_OK) stream.state = StreamState::Playing;
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
    stream.closeRequest = false;
    releaseStream(stream);
}

int32_t openStream(ds8_stream& stream, const char* file, const char* decoderName, uint32_t bufferMs, intptr_t pcm,
                   intptr_t extra)
{
    Instance& instance = *stream.owner;
    stream.openRequest = false;
    if (!file || bufferMs == 0) return DS8_ERR_INVALID_ARG;
    if (!instance.device) return DS8_ERR_INVALID_CALL;
    releaseStream(stream);
    OpenedFile opened = openFile(instance, file, decoderName, pcm, extra);
    if (!opened.format) return DS8_ERR_INVALID_CALL;
    return startStream(stream, std::move(opened), bufferMs);
}

namespace {

int32_t startStream(ds8_stream& stream, OpenedFile opened, uint32_t bufferMs)
{
    Instance& instance = *stream.owner;
    stream.decoder = opened.decoder;
    stream.format = opened.format;
    int32_t result = DS8_ERR_INVALID_CALL;
    const PcmLayout layout = readLayout(stream.format);
    if (layout.isPlayable()) {
        // The thread frees and fills segments once a tick: a segment shorter
        // than two ticks plays out before its successor is written.
        const uint32_t segmentMs = std::max(bufferMs, 2 * stream.tickMs);
        stream.segmentBytes = segmentBytes(segmentMs, layout.rate, layout.channels, layout.sampleBytes);
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
        releaseStream(stream);
        return result == DS8_OK ? DS8_ERR_INVALID_CALL : result;
    }
    stream.blockBytes = 4;
    stream.lengthFrames = 0;
    {
        std::lock_guard guard(stream.bufferLock);
        {
            DeviceCall call(instance.deviceLock);
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

} // namespace

} // namespace audsink
