#include "qzwav_exports.h"
#include "wav_reader.h"

#include <cstring>

namespace qzwav {

namespace {

constexpr uint64_t kFirstChunk = 12; // after "RIFF", size, "WAVE"
constexpr uint32_t kMinListSize = 12;
constexpr size_t kIdPrefixSize = 6; // "ICMT: "

struct SelectorName {
    intptr_t selector;
    const char* id;
};

constexpr SelectorName kSelectorNames[] = {
    {DW_TEXT_TITLE, "INAM"}, {DW_TEXT_RIGHTS, "ICOP"}, {DW_TEXT_PRODUCT, "IPRD"}, {DW_TEXT_ARTIST, "IART"},
    {DW_TEXT_DATE, "ICRD"},  {DW_TEXT_GENRE, "IGNR"},  {DW_TEXT_SUBJECT, "ISBJ"},
};

const char* idOfSelector(intptr_t selector)
{
    for (const auto& entry : kSelectorNames) {
        if (entry.selector == selector) return entry.id;
    }
    return nullptr;
}

// Leaves the reader at the first sub-chunk of the INFO list and returns the
// absolute position where the list ends.
bool findInfoList(WavReader& reader, const dw_host* host, uint64_t& listEnd)
{
    if (!checkRiff(reader, host) || !seekTo(reader, host, reader.base + kFirstChunk)) return false;
    ChunkPlace list;
    while (findChunk(reader, host, "LIST", list)) {
        uint8_t type[4];
        if (list.size >= kMinListSize && readExact(reader, host, type, 4) && std::memcmp(type, "INFO", 4) == 0) {
            listEnd = list.contents + list.size;
            return true;
        }
        if (!seekTo(reader, host, list.contents + list.size + (list.size & 1u))) return false;
    }
    return false;
}

// Reads one sub-chunk's contents into a new zero-terminated text, after an
// optional "XXXX: " prefix.  Null when it cannot be read.
char* readText(WavReader& reader, const dw_host* host, const uint8_t* id, uint32_t size, bool withId)
{
    size_t prefix = withId ? kIdPrefixSize : 0;
    auto* text = static_cast<char*>(host->alloc(host, prefix + size + 1));
    if (!text) return nullptr;
    if (withId) {
        std::memcpy(text, id, 4);
        std::memcpy(text + 4, ": ", 2);
    }
    if (!readExact(reader, host, text + prefix, size)) {
        host->free(host, text);
        return nullptr;
    }
    text[prefix + size] = '\0';
    return text;
}

// Walks the sub-chunks of the list; the listing ends with the list itself.
void relayTexts(WavReader& reader, const dw_host* host, uint64_t listEnd, intptr_t which, dw_relay relay, void* context)
{
    const char* wanted = which < 0 ? idOfSelector(which) : nullptr;
    if (which < 0 && !wanted) return;
    uint8_t header[8];
    while (reader.position + sizeof header <= listEnd && readExact(reader, host, header, sizeof header)) {
        uint32_t size = dw_get_le32(header + 4);
        if (size > listEnd - reader.position) return;
        uint64_t next = reader.position + size + (size & 1u);
        bool isWanted = wanted ? std::memcmp(header, wanted, 4) == 0 : std::memcmp(header, "IID3", 4) != 0;
        if (isWanted) {
            char* text = readText(reader, host, header, size, wanted == nullptr);
            if (!text) return;
            int goOn = relay(context, text, nullptr, nullptr);
            host->free(host, text);
            if (goOn == 0) return;
        }
        // An odd-sized entry whose pad byte is missing ends the file.
        if (next > reader.size || !seekTo(reader, host, next)) return;
    }
}

} // namespace

} // namespace qzwav

using namespace qzwav;

QZWAV_EXPORT void dw_enumpcmtext(const dw_host* host, const char* file, intptr_t /*pcm*/, intptr_t which,
                                 dw_relay relay, void* context)
{
    if (!relay || !isUsableHost(host)) return;
    WavReader reader;
    uint64_t listEnd = 0;
    if (openReader(reader, host, file) && findInfoList(reader, host, listEnd))
        relayTexts(reader, host, listEnd, which, relay, context);
    closeReader(reader, host);
}
