// Sound output with hardware-mixer buffer semantics, mixed in software.
//
// A device has a primary format (what it plays) and any number of secondary
// buffers, each a ring of PCM bytes in its own format with its own play
// cursor, volume, pan and frequency.  The mixer sums every playing buffer
// into the primary format.  Two backends share the mixer: the real-time one
// plays through SDL2 audio, the offline one renders into memory on demand.
//
// Every call answers a result code: kAudioOk, kAudioInvalidCall (the object
// cannot do it now: device closed, control not requested, hardware location)
// or kAudioInvalidArgument (a value out of range); creating a buffer may
// also answer kAudioOutOfMemory.  Sizes and offsets are in bytes of the
// buffer's own format; cursors are always on whole sample frames.
//
// Thread safety: every call may come from any thread.  The mixer reads a
// buffer's bytes without a lock; a writer keeps clear of the region between
// the play and write cursors, and its unlock() publishes the bytes it wrote
// to the mixer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

using AudioResult = uint32_t;
inline constexpr AudioResult kAudioOk = 0;
inline constexpr AudioResult kAudioInvalidCall = 0x88780032;
inline constexpr AudioResult kAudioInvalidArgument = 0x80070057;
inline constexpr AudioResult kAudioOutOfMemory = 0x8007000E;

// Buffer creation flags (values as the system's hardware-mixer interface
// defines them).  Others than these are refused with kAudioInvalidArgument.
inline constexpr uint32_t kAudioBufferStatic = 0x2;
// Refused with kAudioInvalidCall: no buffer lives in hardware, so callers
// fall back to deferred location.
inline constexpr uint32_t kAudioBufferLocHardware = 0x4;
inline constexpr uint32_t kAudioBufferLocSoftware = 0x8;
inline constexpr uint32_t kAudioBufferCtrlFrequency = 0x20;
inline constexpr uint32_t kAudioBufferCtrlPan = 0x40;
inline constexpr uint32_t kAudioBufferCtrlVolume = 0x80;
inline constexpr uint32_t kAudioBufferStickyFocus = 0x4000;
inline constexpr uint32_t kAudioBufferGlobalFocus = 0x8000;
inline constexpr uint32_t kAudioBufferGetCurrentPosition2 = 0x10000;
inline constexpr uint32_t kAudioBufferLocDefer = 0x40000;

// play() flags.  Terminate-by-time is accepted only on a buffer created
// with kAudioBufferLocDefer; the software mixer never runs out of voices,
// so it never has to terminate one.
inline constexpr uint32_t kAudioPlayLooping = 0x1;
inline constexpr uint32_t kAudioPlayTerminateByTime = 0x8;

// getStatus() bits.
inline constexpr uint32_t kAudioStatusPlaying = 0x1;
inline constexpr uint32_t kAudioStatusBufferLost = 0x2;
inline constexpr uint32_t kAudioStatusLooping = 0x4;
inline constexpr uint32_t kAudioStatusTerminated = 0x20;

// lock() flags.
inline constexpr uint32_t kAudioLockFromWriteCursor = 0x1;
inline constexpr uint32_t kAudioLockEntireBuffer = 0x2;

// Volume in 1/100 dB: gain = 10^(volume / 2000); kAudioVolumeMin is silence.
inline constexpr int32_t kAudioVolumeMin = -10000;
inline constexpr int32_t kAudioVolumeMax = 0;
// Pan in 1/100 dB of attenuation of the far side: -10000 silences the right
// channel, 10000 the left, 0 is centre (both at full level).
inline constexpr int32_t kAudioPanLeft = -10000;
inline constexpr int32_t kAudioPanRight = 10000;
// Frequency in Hz; setFrequency(kAudioFrequencyOriginal) restores the
// buffer format's rate.
inline constexpr uint32_t kAudioFrequencyMin = 100;
inline constexpr uint32_t kAudioFrequencyMax = 100000;
inline constexpr uint32_t kAudioFrequencyOriginal = 0;
// Buffer sizes in bytes.
inline constexpr uint32_t kAudioBufferBytesMin = 4;
inline constexpr uint32_t kAudioBufferBytesMax = 0x0FFFFFFF;

// PCM: 1 or 2 channels (interleaved, left first), 8-bit unsigned or 16-bit
// signed little-endian samples, kAudioFrequencyMin..kAudioFrequencyMax Hz.
struct AudioFormat {
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    uint32_t sampleRate = 44100;

    uint32_t blockBytes() const { return channels * (bitsPerSample / 8u); }
    bool isValid() const;
    friend bool operator==(const AudioFormat&, const AudioFormat&) = default;
};

// What lock() hands out: the region may wrap past the buffer's end, then
// its tail is the second part (otherwise second is null, secondBytes 0).
struct AudioLockedRegion {
    uint8_t* first = nullptr;
    uint32_t firstBytes = 0;
    uint8_t* second = nullptr;
    uint32_t secondBytes = 0;
};

// A secondary buffer.  Destroying it stops it.  A buffer outlives its device:
// once the device is closed every call answers kAudioInvalidCall, except
// getStatus(), which reports kAudioStatusBufferLost.
class AudioBuffer {
public:
    virtual ~AudioBuffer() = default;

    // offset and bytes: a region of 1..size bytes starting inside the buffer.
    // kAudioLockEntireBuffer: bytes is the whole size (from offset, wrapping);
    // kAudioLockFromWriteCursor: offset is the write cursor.
    virtual AudioResult lock(uint32_t offset, uint32_t bytes, AudioLockedRegion& region, uint32_t flags = 0) = 0;
    // The parts as lock() gave them, with the byte counts actually written
    // (at most the locked counts).
    virtual AudioResult unlock(uint8_t* first, uint32_t firstBytes, uint8_t* second, uint32_t secondBytes) = 0;

    // Starts from the play cursor (kAudioPlayLooping: wraps at the end,
    // otherwise stops there and the cursor returns to 0).  Playing again
    // only changes the looping flag.
    virtual AudioResult play(uint32_t flags) = 0;
    // Keeps the play cursor where it is.
    virtual AudioResult stop() = 0;

    // Byte offsets: play is the next byte the mixer reads; write is the
    // first byte a writer may change safely (ahead of play by what the mixer
    // has already taken in).  Either pointer may be null.
    virtual AudioResult getCurrentPosition(uint32_t* play, uint32_t* write) const = 0;
    // 0 .. size - 1, rounded down to a whole frame.
    virtual AudioResult setCurrentPosition(uint32_t offset) = 0;

    // Need kAudioBufferCtrlVolume / CtrlPan / CtrlFrequency at creation.
    // volume kAudioVolumeMin..kAudioVolumeMax, pan kAudioPanLeft..
    // kAudioPanRight, frequency kAudioFrequencyMin..kAudioFrequencyMax or
    // kAudioFrequencyOriginal.
    virtual AudioResult setVolume(int32_t volume) = 0;
    virtual AudioResult getVolume(int32_t& volume) const = 0;
    virtual AudioResult setPan(int32_t pan) = 0;
    virtual AudioResult getPan(int32_t& pan) const = 0;
    virtual AudioResult setFrequency(uint32_t frequency) = 0;
    virtual AudioResult getFrequency(uint32_t& frequency) const = 0;

    // kAudioStatus* bits.
    virtual AudioResult getStatus(uint32_t& status) const = 0;

    // Fixed at creation; valid even after the device closed.
    virtual AudioFormat format() const = 0;
    virtual uint32_t bytes() const = 0;
};

// An open device.  Closing is destroying it; its buffers stay valid objects
// and report themselves lost.
class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // The format the device plays; initially 2 channels, 16 bits, 44100 Hz.
    virtual AudioResult setPrimaryFormat(const AudioFormat& format) = 0;
    virtual AudioFormat primaryFormat() const = 0;

    // flags: kAudioBuffer* bits; bytes kAudioBufferBytesMin..
    // kAudioBufferBytesMax, a multiple of the format's block.  The buffer
    // starts silent, stopped, at position 0, volume 0, pan 0, original
    // frequency.  buffer stays null on failure.
    virtual AudioResult createBuffer(uint32_t flags, const AudioFormat& format, uint32_t bytes,
                                     std::unique_ptr<AudioBuffer>& buffer) = 0;
    // A stopped buffer at position 0 that shares original's bytes (writes to
    // either are heard in both) with the same flags, volume, pan and
    // frequency.  original must come from this device.
    virtual AudioResult duplicateBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>& duplicate) = 0;
};

// A device whose clock is the caller: nothing plays until render() asks.
class OfflineAudioDevice : public AudioDevice {
public:
    // Mixes the next `frames` frames into out (frames x the primary format's
    // block bytes), advancing every playing buffer.
    virtual void render(void* out, uint32_t frames) = 0;
};

// Device list for choosers: -1 (kAudioMapper) is the default device, 0 ..
// audioOutputDeviceCount() - 1 the system's output devices.  Names are cut
// to kAudioNameChars characters.
inline constexpr int kAudioMapper = -1;
inline constexpr size_t kAudioNameChars = 31;
int audioOutputDeviceCount();
// Empty for a device that does not exist.
std::string audioOutputDeviceName(int device);

// The real-time device: name empty or the mapper's name opens the default
// device; otherwise the first device whose name equals name in its first
// kAudioNameChars characters.  kAudioInvalidArgument when no name matches,
// kAudioInvalidCall when the system has no usable sound output.
AudioResult openAudioDevice(const std::string& name, std::unique_ptr<AudioDevice>& device);
std::unique_ptr<OfflineAudioDevice> openOfflineAudioDevice();

} // namespace platform
