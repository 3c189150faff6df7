// Decoder queries that need no open handle: PCM and text counts, texts with
// their language and character set, the credit, and text enumeration.
#pragma once

#include "instance.h"

namespace audsink {

enum class TextPart { Text, Language, Charset };

intptr_t pcmCount(Instance& instance, const char* file, const char* decoder);
intptr_t textCount(Instance& instance, const char* file, const char* decoder, intptr_t pcm);
size_t textQuery(Instance& instance, TextPart part, const char* file, const char* decoder, intptr_t pcm, intptr_t which,
                 char* buffer, size_t size);
size_t creditQuery(const char* decoder, char* buffer, size_t size);
void enumerateTexts(Instance& instance, const char* file, const char* decoder, intptr_t pcm, intptr_t which,
                    ds8_text_fn callback);

} // namespace audsink
