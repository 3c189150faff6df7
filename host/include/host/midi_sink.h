// What the engine plays besides sampled sound: the clock, the channel
// messages, system-exclusive messages, texts, tempo and meta events, its
// errors and its endless-loop questions.  The methods are the engine's
// callbacks of the same names, without the user value; each default does
// what the engine does for an empty entry.
//
// Unless noted, an int result is a status: 0 goes on, any other value
// stops the instance with it as result code.  port 0-15, track = index in
// the image's track table, channel 0-15, key/value/controller/program 0-127.
#pragma once

#include <cstdint>

namespace host {

class MidiSink {
public:
    virtual ~MidiSink() = default;

    // An error at image offset `offset`; the answer becomes the result code
    // (0 ignores the error).
    virtual int error(uint32_t /*offset*/, int code) { return code; }
    // 1 unit = 1 ms of song time at normal speed.
    virtual int unitPassed(uint32_t /*unitCounter*/) { return 0; }
    virtual int tickPassed(uint32_t /*tickCounter*/) { return 0; }

    virtual int noteOff(int /*port*/, int /*track*/, int /*channel*/, int /*key*/, int /*velocity*/) { return 0; }
    virtual int noteOn(int /*port*/, int /*track*/, int /*channel*/, int /*key*/, int /*velocity*/) { return 0; }
    virtual int keyPressure(int /*port*/, int /*track*/, int /*channel*/, int /*key*/, int /*value*/) { return 0; }
    virtual int controlChange(int /*port*/, int /*track*/, int /*channel*/, int /*controller*/, int /*value*/)
    {
        return 0;
    }
    virtual int programChange(int /*port*/, int /*track*/, int /*channel*/, int /*program*/) { return 0; }
    virtual int channelPressure(int /*port*/, int /*track*/, int /*channel*/, int /*value*/) { return 0; }
    virtual int pitchBend(int /*port*/, int /*track*/, int /*channel*/, int /*value -8192..8191*/) { return 0; }

    // A system-exclusive message is built in the sink's buffer of at least
    // `count` bytes, then sent; a null buffer drops it.
    virtual uint8_t* exclusiveBuffer(int /*port*/, int /*track*/, int /*count*/) { return nullptr; }
    virtual int exclusiveSend(int /*port*/, int /*track*/, int /*count*/) { return 0; }

    // The bytes are valid only during the call; text[count] is a NUL.
    virtual int text(int /*track*/, const char* /*text*/, int /*count*/) { return 0; }
    // period: 1/256 ms per tick.
    virtual int tempo(uint32_t /*period*/) { return 0; }
    virtual int meta(int /*track*/, int /*type*/, const uint8_t* /*payload*/, int /*count*/) { return 0; }
    // Not a status: nonzero leaves the endless loop, 0 jumps back.
    virtual int endlessLoopPass(int /*track*/, uint32_t /*passCount*/) { return 0; }
};

} // namespace host
