#include "qzwav_module.h"

#include <gtest/gtest.h>

const QzwavModule& QzwavModule::get()
{
    static const QzwavModule module = [] {
        QzwavModule m;
        std::string error;
        if (const auto* entries = decoder_plugins::loadDecoder(std::string(ZEM_BIN_DIR) + "/qzwav.so", &error))
            static_cast<decoder_plugins::DecoderEntries&>(m) = *entries;
        else
            ADD_FAILURE() << "qzwav.so not usable: " << error;
        return m;
    }();
    return module;
}

uint8_t* openBytes(MemoryHost& host, const std::vector<uint8_t>& bytes)
{
    host.addFile("in.wav", bytes);
    return QzwavModule::get().open(host.table(), 0, "in.wav", 0, 0);
}

std::vector<uint8_t> decodeAll(MemoryHost& host, uint8_t* handle, size_t piece)
{
    const QzwavModule& m = QzwavModule::get();
    std::vector<uint8_t> out;
    std::vector<uint8_t> buffer(piece);
    for (int idle = 0; idle < 4;) {
        size_t got = m.decode(host.table(), handle, buffer.data(), buffer.size());
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        if (got > 0) continue;
        if (m.isEnd(host.table(), handle)) break;
        ++idle;
    }
    return out;
}

std::vector<uint8_t> decodeSome(MemoryHost& host, uint8_t* handle, size_t bytes)
{
    std::vector<uint8_t> out(bytes);
    size_t done = 0;
    while (done < bytes) {
        size_t got = QzwavModule::get().decode(host.table(), handle, out.data() + done, bytes - done);
        if (got == 0) break;
        done += got;
    }
    out.resize(done);
    return out;
}
