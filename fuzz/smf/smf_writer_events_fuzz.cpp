// The SMF writer's event path driven by arbitrary bytes: each op byte picks
// an event and the following bytes give its arguments.  Whatever the order,
// the finished chunk must read back cleanly with the importer's reader, end
// with an end-of-track event and carry exactly the ticks that were added.
#include "smf/smf_reader.h"
#include "smf/track_writer.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    uint8_t byte()
    {
        if (left_ == 0) return 0;
        --left_;
        return *data_++;
    }
    uint16_t word()
    {
        const uint8_t high = byte();
        return uint16_t(high << 8 | byte());
    }
    uint32_t dword()
    {
        const uint16_t high = word();
        return uint32_t(high) << 16 | word();
    }
    const uint8_t* bytes(size_t n)
    {
        buffer_.assign(n, 0);
        for (size_t i = 0; i < n; ++i) buffer_[i] = byte();
        return buffer_.data();
    }

private:
    const uint8_t* data_;
    size_t left_;
    std::vector<uint8_t> buffer_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    smf::TrackWriter writer((in.byte() & 1) != 0);
    uint64_t ticks = 0;
    bool tooLong = false;
    while (!in.empty()) {
        smf::WriteResult r = smf::WriteResult::Ok;
        const uint8_t op = in.byte() % 12;
        const uint8_t channel = in.byte() & 0x0F;
        // Arguments are read in a fixed order, not in argument-evaluation order.
        const uint8_t a = in.byte() & 0x7F;
        const uint8_t b = in.byte() & 0x7F;
        switch (op) {
        case 0: r = writer.noteOn(channel, a, b); break;
        case 1: r = writer.noteOff(channel, a, b); break;
        case 2: r = writer.keyPressure(channel, a, b); break;
        case 3: r = writer.controlChange(channel, a, b); break;
        case 4: r = writer.programChange(channel, a); break;
        case 5: r = writer.channelPressure(channel, a); break;
        case 6: r = writer.pitchBend(channel, int32_t((a << 7) | b) - 8192); break;
        case 7: {
            r = writer.sysex(in.bytes(a), a);
            break;
        }
        case 8: {
            // Types from 128 on are ignored and must leave no trace.
            const uint8_t type = uint8_t(a | ((b & 1) << 7));
            const uint16_t length = in.word() % 700;
            r = writer.meta(type, in.bytes(length), length);
            break;
        }
        case 9: {
            const uint32_t raw = in.dword();
            r = writer.tempo(raw, in.word());
            break;
        }
        case 10: {
            const uint16_t n = uint16_t(a << 8 | b);
            writer.addTicks(n);
            ticks += n;
            break;
        }
        default:
            writer.beginTrack();
            ticks = 0;
            tooLong = false;
            break;
        }
        tooLong |= r == smf::WriteResult::DeltaTooLong;
    }
    if (writer.endOfTrack(true) == smf::WriteResult::DeltaTooLong) return 0;

    const std::vector<uint8_t>& bytes = writer.events();
    std::vector<smf::SmfEvent> events;
    if (smf::readTrackEvents(bytes.data(), uint32_t(bytes.size()), events) != smf::ReadError::None) std::abort();
    if (events.empty() || events.back().status != 0xFF || events.back().data1 != 0x2F) std::abort();
    uint64_t readTicks = 0;
    for (const smf::SmfEvent& e : events) readTicks += e.delta;
    if (!tooLong && readTicks != ticks) std::abort();
    return 0;
}
