#include "qzwav_module.h"

#include <gtest/gtest.h>

QzwavModule& QzwavModule::get()
{
    static QzwavModule module = [] {
        QzwavModule m;
        m.library = platform::DynamicLibrary(std::string(ZEM_BIN_DIR) + "/qzwav.so");
        m.version = m.library.entry<dw_version_fn>(DW_ENTRY_VERSION);
        m.credit = m.library.entry<dw_credit_fn>(DW_ENTRY_CREDIT);
        m.open = m.library.entry<dw_open_fn>(DW_ENTRY_OPEN);
        m.decode = m.library.entry<dw_decode_fn>(DW_ENTRY_DECODE);
        m.isEnd = m.library.entry<dw_isend_fn>(DW_ENTRY_ISEND);
        m.close = m.library.entry<dw_close_fn>(DW_ENTRY_CLOSE);
        m.getPos = m.library.entry<dw_getpos_fn>(DW_ENTRY_GETPOS);
        m.setPos = m.library.entry<dw_setpos_fn>(DW_ENTRY_SETPOS);
        m.setEnd = m.library.entry<dw_setend_fn>(DW_ENTRY_SETEND);
        m.setLoop = m.library.entry<dw_setloop_fn>(DW_ENTRY_SETLOOP);
        m.enumTexts = m.library.entry<dw_enumpcmtext_fn>(DW_ENTRY_ENUMPCMTEXT);
        return m;
    }();
    if (!module.open || !module.decode || !module.close || !module.enumTexts || !module.setLoop)
        ADD_FAILURE() << "qzwav.so not usable: " << module.library.error();
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
