// Arbitrary bytes as a WAVE file: open, decode to the end in random pieces
// with positioning calls between them, list the texts, close.  Nothing may
// crash, hang, leak or read outside a buffer.
#include "memory_host.h"
#include "qzwav_exports.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kMaxCalls = 400;
constexpr size_t kMaxPiece = 70000;

// Decisions come from a generator seeded by the input itself, so every
// input replays the same way.
class Choices {
public:
    explicit Choices(const uint8_t* data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) state_ = (state_ ^ data[i]) * 0x100000001B3ull;
    }
    uint32_t next(uint32_t bound)
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return bound == 0 ? 0 : static_cast<uint32_t>(state_ >> 33) % bound;
    }

private:
    uint64_t state_ = 0xCBF29CE484222325ull;
};

int keepGoing(void* context, const char* text, const char*, const char*)
{
    auto* count = static_cast<size_t*>(context);
    for (const char* p = text; *p; ++p) ++*count;
    return *count < 100000 ? 1 : 0;
}

void exercise(MemoryHost& host, Choices& choices)
{
    const dw_host* table = host.table();
    size_t textBytes = 0;
    dw_enumpcmtext(table, "f.wav", 0, 0, &keepGoing, &textBytes);
    dw_enumpcmtext(table, "f.wav", 0, -1 - static_cast<intptr_t>(choices.next(9)), &keepGoing, &textBytes);

    uint8_t* handle = dw_open(table, choices.next(2), "f.wav", 0, 0);
    if (!handle) return;
    const uint32_t frames = dw_get_le32(handle + DW_RECORD_FRAMES);
    std::vector<uint8_t> buffer(kMaxPiece);
    for (int call = 0; call < kMaxCalls; ++call) {
        switch (choices.next(12)) {
        case 0: dw_setpos(table, handle, choices.next(frames + 10), choices.next(8) == 0); break;
        case 1: dw_setend(table, handle, choices.next(frames + 10), 0); break;
        case 2: dw_setloop(table, handle, choices.next(frames + 2), 0, choices.next(frames + 10), 0); break;
        case 3: dw_setloop(table, handle, 0, 0, 0, 0); break;
        case 4: dw_getpos(table, handle); break;
        default: {
            size_t length = choices.next(kMaxPiece + 1);
            if (dw_decode(table, handle, buffer.data(), length) == 0 && dw_isend(table, handle)) call = kMaxCalls;
        }
        }
    }
    dw_close(table, handle);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryHost host;
    host.addFile("f.wav", std::vector<uint8_t>(data, data + size));
    Choices choices(data, size);
    exercise(host, choices);
    if (host.liveBlocks() != 0 || host.openHandles() != 0) std::abort(); // the decoder lost memory or a file handle
    return 0;
}
