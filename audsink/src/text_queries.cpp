#include "text_queries.h"

#include <cstring>
#include <string>

namespace audsink {
namespace {

using decoder_plugins::DecoderEntries;

dw_pcmtext_fn textEntry(const DecoderEntries& decoder, TextPart part)
{
    switch (part) {
    case TextPart::Text: return decoder.text;
    case TextPart::Language: return decoder.textLanguage;
    case TextPart::Charset: break;
    }
    return decoder.textCharset;
}

// One text whole, by a length query and then a read into length bytes.
// Empty when the entry is missing or the text has no characters.
std::string fetchText(Instance& instance, const DecoderEntries& decoder, TextPart part, const char* file, intptr_t pcm,
                      intptr_t which)
{
    auto entry = textEntry(decoder, part);
    if (!entry) return {};
    const dw_host* host = &instance.host.table;
    const size_t length = entry(host, file, pcm, which, nullptr, 0);
    std::string text(length, '\0');
    if (length > 0) text.resize(std::min(length, entry(host, file, pcm, which, text.data(), length)));
    return text;
}

struct Relay {
    void* user;
    ds8_text_fn callback;
    bool stopped;
};

int relay(void* context, const char* text, const char* language, const char* charset)
{
    auto& r = *static_cast<Relay*>(context);
    if (r.stopped) return 0;
    if (!text) return 1;
    if (!r.callback(r.user, text, language, charset)) r.stopped = true;
    return r.stopped ? 0 : 1;
}

// One emulated enumeration step; false once the callback asked to stop.
bool relayOne(Instance& instance, const DecoderEntries& decoder, Relay& r, const char* file, intptr_t pcm,
              intptr_t which)
{
    const std::string text = fetchText(instance, decoder, TextPart::Text, file, pcm, which);
    if (text.empty()) return true;
    const std::string language = fetchText(instance, decoder, TextPart::Language, file, pcm, which);
    const std::string charset = fetchText(instance, decoder, TextPart::Charset, file, pcm, which);
    relay(&r, text.c_str(), language.empty() ? nullptr : language.c_str(), charset.empty() ? nullptr : charset.c_str());
    return !r.stopped;
}

} // namespace

intptr_t pcmCount(Instance& instance, const char* file, const char* decoderName)
{
    if (!file) return 0;
    const DecoderEntries* decoder = findDecoder(decoderName);
    if (!decoder) return 0;
    auto entry = decoder->pcmCount;
    return entry ? entry(&instance.host.table, file) : 1;
}

intptr_t textCount(Instance& instance, const char* file, const char* decoderName, intptr_t pcm)
{
    if (!file) return 0;
    const DecoderEntries* decoder = findDecoder(decoderName);
    if (!decoder) return 0;
    auto entry = decoder->textCount;
    return entry ? entry(&instance.host.table, file, pcm) : 0;
}

size_t textQuery(Instance& instance, TextPart part, const char* file, const char* decoderName, intptr_t pcm,
                 intptr_t which, char* buffer, size_t size)
{
    if (buffer && size > 0) buffer[0] = 0;
    if (!file) return 0;
    const DecoderEntries* decoder = findDecoder(decoderName);
    auto entry = decoder ? textEntry(*decoder, part) : nullptr;
    if (!entry) return 0;
    // Without room for a terminator the call only asks for the length.
    if (!buffer || size == 0) return entry(&instance.host.table, file, pcm, which, nullptr, 0) + 1;
    const size_t length = entry(&instance.host.table, file, pcm, which, buffer, size - 1);
    buffer[std::min(length, size - 1)] = 0;
    return length + 1;
}

size_t creditQuery(const char* decoderName, char* buffer, size_t size)
{
    if (buffer && size > 0) buffer[0] = 0;
    const DecoderEntries* decoder = findDecoder(decoderName);
    auto entry = decoder ? decoder->credit : nullptr;
    const char* credit = entry ? entry() : nullptr;
    if (!credit || !*credit) return 0;
    const size_t length = std::strlen(credit);
    if (buffer && size > 0) {
        const size_t n = std::min(length, size - 1);
        std::memcpy(buffer, credit, n);
        buffer[n] = 0;
    }
    return length;
}

void enumerateTexts(Instance& instance, const char* file, const char* decoderName, intptr_t pcm, intptr_t which,
                    ds8_text_fn callback)
{
    if (!callback || !file) return;
    const DecoderEntries* decoder = findDecoder(decoderName);
    if (!decoder) return;
    Relay r{instance.user, callback, false};
    const dw_host* host = &instance.host.table;
    if (auto entry = decoder->enumTexts) {
        entry(host, file, pcm, which, &relay, &r);
        return;
    }
    if (which < 0) {
        relayOne(instance, *decoder, r, file, pcm, which);
        return;
    }
    auto countEntry = decoder->textCount;
    const intptr_t count = countEntry ? countEntry(host, file, pcm) : 0;
    for (intptr_t i = 0; i < count && relayOne(instance, *decoder, r, file, pcm, i); ++i) {}
}

} // namespace audsink
