// Slots 47 to 52, 61, 62 and 65: decoder queries and rendering.
#include "operations.h"
#include "render_wave.h"
#include "text_queries.h"

namespace audsink {
namespace {

intptr_t pcmCount47(ds8* self, const char* file, const char* decoder)
{
    return self ? pcmCount(*instanceOf(self), file, decoder) : 0;
}

intptr_t textCount48(ds8* self, const char* file, const char* decoder, intptr_t pcm)
{
    return self ? textCount(*instanceOf(self), file, decoder, pcm) : 0;
}

template <TextPart Part>
size_t text(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which, char* buffer, size_t size)
{
    return self ? textQuery(*instanceOf(self), Part, file, decoder, pcm, which, buffer, size) : 0;
}

size_t credit51(ds8* self, const char* decoder, char* buffer, size_t size)
{
    return self ? creditQuery(decoder, buffer, size) : 0;
}

int render52(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t extra, intptr_t mode,
             const char* output, ds8_length_fn length, ds8_progress_fn progress)
{
    if (!self) return 1;
    return renderWave(*instanceOf(self), {file, decoder, pcm, extra, mode, output, length, progress});
}

void enum65(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which, ds8_text_fn callback)
{
    if (self) enumerateTexts(*instanceOf(self), file, decoder, pcm, which, callback);
}

} // namespace

void fillQueryOperations(ds8& t)
{
    t.pcm_count = &pcmCount47;
    t.text_count = &textCount48;
    t.text = &text<TextPart::Text>;
    t.text_charset = &text<TextPart::Charset>;
    t.credit = &credit51;
    t.render_wave = &render52;
    t.text_language = &text<TextPart::Language>;
    t.text_charset_alias = &text<TextPart::Charset>;
    t.enum_texts = &enum65;
}

} // namespace audsink
