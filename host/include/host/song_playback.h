// Plays a ZEM image through the engine in simulated time, one millisecond per
// step, the way the exporters hear a song: every track together, the endless
// loops played a given number of times, then a delay, then a fade-out of the
// channel volumes, then every note released.
//
// What the engine delivers goes to a PlaybackSink, already filtered by the
// device mask for channel and exclusive messages.
#pragma once

#include "host/engine_options.h"
#include "host/midi_sink.h"
#include "host/sound_sink.h"
#include "util/uerr.h"
#include "zemplay.h"

#include <cstddef>
#include <cstdint>

namespace host {

// The last guard of every export: a song still playing after this much song
// time (a track that waits for years, loops nested past any end) is stopped.
inline constexpr uint32_t kSongTimeLimitMs = 24u * 60 * 60 * 1000;

struct PlaybackSettings {
    uint8_t loopCount = 2;        // passes of the endless loops before the delay
    int32_t delayMs = 1000;       // after the loop passes
    uint32_t fadeMs = 9000;       // length of the fade-out
    uint16_t deviceMask = 0x0001; // bit n lets port n through
    bool ignoreEndlessLoops = false;
    uint32_t songTimeLimitMs = kSongTimeLimitMs;
};

// The fade as the volume messages see it: fadeRemaining falls from fadeMs
// to 0; `fading` is set while volumes are being re-sent (a sink skips a
// re-sent value equal to the last one it wrote).
struct FadeState {
    uint32_t fadeMs;
    uint32_t fadeRemaining;
    bool fading;
};

// The channel voice messages, in the order of their status bytes 8n to En
// (Standard MIDI File 1.0).
enum class ChannelKind : uint8_t { NoteOff, NoteOn, KeyPressure, Controller, Program, ChannelPressure, PitchBend };

// The status byte of a message of kind on channel 0-15.
constexpr uint8_t statusOf(ChannelKind kind, uint8_t channel)
{
    return static_cast<uint8_t>(0x80 | static_cast<uint8_t>(kind) << 4 | (channel & 0x0F));
}

// A channel voice message as the engine sent it: channel 0-15, data bytes
// 0-127.  Program change and channel pressure have data1 only (data2 0); a
// pitch bend carries its value + 8192, the low 7 bits in data1.
struct ChannelMessage {
    ChannelKind kind;
    uint8_t channel;
    uint8_t data1;
    uint8_t data2;
};

// The channel volume controller, whose values the fade scales.
inline constexpr int kVolumeController = 7;

// Each event method returns 0 to go on, or an error code that stops the
// song; play() then raises it.  port 0-15, track = image track index.
class PlaybackSink {
public:
    virtual ~PlaybackSink() = default;
    // Before the first event of a play.
    virtual void begin(int trackCount, int timebase) = 0;
    virtual void unitPassed() {}
    virtual void tickPassed() {}
    // Controller 7 values are the song's own: the sink applies the fade.
    virtual util::ErrCode channelMessage(int port, int track, const ChannelMessage& message, const FadeState& fade) = 0;
    // A whole message as the engine built it, fewer than 256 bytes.
    virtual util::ErrCode exclusive(int port, int track, const uint8_t* bytes, uint32_t count) = 0;
    virtual util::ErrCode text(int track, const uint8_t* bytes, uint32_t count) = 0;
    // period: 1/256 ms per tick.
    virtual util::ErrCode tempo(uint32_t period) = 0;
    virtual util::ErrCode meta(int track, int type, const uint8_t* payload, uint32_t count) = 0;
    // Where the voice layer and the stream slots sound; none drops them.
    virtual SoundSink* sound() { return nullptr; }
};

// An engine error or result code c is raised as kErrEngineBase + c.
inline constexpr util::ErrCode kErrEngineBase = 0x40003;
// Raised by play() once the song time limit is reached, after every note
// has been released.
inline constexpr util::ErrCode kErrSongTooLong = 0x40030;

// The engine's MIDI sink of a play, passing on to a PlaybackSink what the
// device mask lets through.
class SongPlayback : private MidiSink {
public:
    // Validates the image (kept alive by the caller) and creates the
    // instance with 16 ports; raises kErrEngineBase + code when refused.
    SongPlayback(const uint8_t* image, size_t size, const PlaybackSettings& settings, PlaybackSink& sink);
    ~SongPlayback();
    SongPlayback(const SongPlayback&) = delete;
    SongPlayback& operator=(const SongPlayback&) = delete;

    int trackCount() const;
    int timebase() const; // ticks per whole note
    const FadeState& fade() const { return fade_; }
    // Plays from the start to the end (or to the end of the fade).  Raises
    // the first error of the sink or of the engine, or kErrSongTooLong.
    void play();
    // The image offset of the last engine error, for the messages.
    uint32_t lastErrorOffset() const;

private:
    // The engine's errors are recorded: play() raises the first after the
    // step, and the instance stops with it as result code.
    int error(uint32_t offset, int code) override;
    int unitPassed(uint32_t unitCounter) override;
    int tickPassed(uint32_t tickCounter) override;
    int noteOff(int port, int track, int channel, int key, int velocity) override
    {
        return deliver(port, track, ChannelKind::NoteOff, channel, key, velocity);
    }
    int noteOn(int port, int track, int channel, int key, int velocity) override;
    int keyPressure(int port, int track, int channel, int key, int value) override
    {
        return deliver(port, track, ChannelKind::KeyPressure, channel, key, value);
    }
    int controlChange(int port, int track, int channel, int controller, int value) override
    {
        return deliver(port, track, ChannelKind::Controller, channel, controller, value);
    }
    int programChange(int port, int track, int channel, int program) override
    {
        return deliver(port, track, ChannelKind::Program, channel, program, 0);
    }
    int channelPressure(int port, int track, int channel, int value) override
    {
        return deliver(port, track, ChannelKind::ChannelPressure, channel, value, 0);
    }
    int pitchBend(int port, int track, int channel, int value) override;
    uint8_t* exclusiveBuffer(int port, int track, int count) override;
    int exclusiveSend(int port, int track, int count) override;
    int text(int track, const char* text, int count) override;
    int tempo(uint32_t period) override { return record(sink_.tempo(period)); }
    int meta(int track, int type, const uint8_t* payload, int count) override;
    int endlessLoopPass(int, uint32_t) override { return settings_.ignoreEndlessLoops ? 1 : 0; }

    // A channel message to the sink when its port passes.
    int deliver(int port, int track, ChannelKind kind, int channel, int data1, int data2);
    void raisePendingError() const;
    bool passes(int port) const { return port >= 0 && port < 16 && (settings_.deviceMask >> port & 1); }
    int record(util::ErrCode code);

    PlaybackSettings settings_;
    PlaybackSink& sink_;
    Sinks sinks_;
    dp_player* player_ = nullptr;
    FadeState fade_{};
    uint32_t msElapsed_ = 0;
    uint16_t usedChannels_[16] = {};
    uint8_t exclusiveBuffer_[256] = {};
    util::ErrCode pendingError_ = 0;
};

} // namespace host
