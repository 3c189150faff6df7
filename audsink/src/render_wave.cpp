#include "render_wave.h"

#include "pcm_layout.h"

#include "wave/pcm_header.h"

#include <vector>

namespace audsink {
namespace {

constexpr size_t kTransferBytes = 65536;
// A decoder that keeps delivering nothing without saying it has ended is
// given up on after this many calls in a row.
constexpr int kMaxIdleDecodes = 1000;

class Output {
public:
    Output(Instance& instance, const char* name)
        : u_(instance.utility), user_(instance.user), handle_(u_.open(user_, name, DS8_OPEN_WRITE | DS8_OPEN_CREATE))
    {}
    ~Output()
    {
        if (isOpen()) u_.close(user_, handle_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool isOpen() const { return !u_.is_invalid(user_, handle_); }
    bool write(const void* bytes, size_t size)
    {
        return u_.write(user_, handle_, bytes, static_cast<intptr_t>(size), 0) == static_cast<int64_t>(size);
    }
    bool seekTo(uint32_t offset) { return u_.seek(user_, handle_, offset, 0, 0) == offset; }

private:
    const ds8_utility& u_;
    void* user_;
    intptr_t handle_;
};

struct Source {
    Instance& instance;
    Decoder& decoder;
    uint8_t* format;
};

// Decodes and writes until the planned size is written, the decoder ends or
// the caller aborts.  Returns false on a failed write or an abort.
bool copyData(const Source& source, Output& out, uint32_t planned, const RenderRequest& request, uint32_t& written)
{
    std::vector<uint8_t> transfer(kTransferBytes);
    const dw_host* host = &source.instance.host.table;
    for (int idle = 0; written < planned && idle < kMaxIdleDecodes;) {
        const size_t want = std::min<size_t>(planned - written, kTransferBytes);
        size_t got = source.decoder.decode(host, source.format, transfer.data(), want);
        got = std::min(got, want);
        if (got == 0) {
            if (!source.decoder.isEnd || source.decoder.isEnd(host, source.format)) break;
            ++idle;
            continue;
        }
        idle = 0;
        if (!out.write(transfer.data(), got)) return false;
        written += static_cast<uint32_t>(got);
        if (request.progress && request.progress(source.instance.user, written, planned)) return false;
    }
    return true;
}

int renderOpened(Instance& instance, Decoder& decoder, uint8_t* format, const RenderRequest& request)
{
    const PcmLayout layout = readLayout(format);
    if (!layout.isPlayable()) return 1;
    uint64_t frames = layout.frames;
    if (frames == 0 && request.length) frames = uint64_t{layout.rate} * request.length(instance.user) / 1000;
    const uint64_t planned = frames * layout.blockBytes();
    // The header's sizes are 32-bit: a longer render cannot be described.
    if (planned == 0 || planned > wave::kMaxPcmDataBytes) return 1;

    Output out(instance, request.output);
    if (!out.isOpen()) return 1;
    const wave::PcmFormat pcm{static_cast<uint16_t>(layout.channels), layout.rate,
                              static_cast<uint16_t>(8 * layout.sampleBytes)};
    if (!out.write(wave::pcmHeader(pcm, static_cast<uint32_t>(planned)).data(), wave::kPcmHeaderBytes)) return 1;
    uint32_t written = 0;
    if (!copyData({instance, decoder, format}, out, static_cast<uint32_t>(planned), request, written)) return 1;
    if (written == planned) return 0;
    // The decoder ended early: the header is rewritten with what was written.
    if (!out.seekTo(0) || !out.write(wave::pcmHeader(pcm, written).data(), wave::kPcmHeaderBytes)) return 1;
    return 0;
}

} // namespace

int renderWave(Instance& instance, const RenderRequest& request)
{
    if (!request.file || !request.output) return 1;
    Decoder decoder;
    if (!loadDecoder(request.decoder, decoder) || !resolveEntries(decoder, false)) return 1;
    uint8_t* format = decoder.open(&instance.host.table, request.mode, request.file, request.pcm, request.extra);
    if (!format) return 1;
    const int result = renderOpened(instance, decoder, format, request);
    decoder.close(&instance.host.table, format);
    return result;
}

} // namespace audsink
