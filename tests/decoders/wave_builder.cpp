#include "wave_builder.h"

void putLe16(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLe32(Bytes& out, uint32_t v)
{
    putLe16(out, static_cast<uint16_t>(v));
    putLe16(out, static_cast<uint16_t>(v >> 16));
}

void putLe64(Bytes& out, uint64_t v)
{
    putLe32(out, static_cast<uint32_t>(v));
    putLe32(out, static_cast<uint32_t>(v >> 32));
}

Bytes formatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits,
                 const std::optional<Bytes>& extra)
{
    Bytes b;
    putLe16(b, tag);
    putLe16(b, channels);
    putLe32(b, rate);
    putLe32(b, rate * blockAlign);
    putLe16(b, blockAlign);
    putLe16(b, bits);
    if (extra) {
        putLe16(b, static_cast<uint16_t>(extra->size()));
        b.insert(b.end(), extra->begin(), extra->end());
    }
    return b;
}

Bytes extensibleBody(uint16_t subTag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes extra;
    putLe16(extra, bits);   // valid bits
    putLe32(extra, 0);      // channel mask
    putLe32(extra, subTag); // sub-format GUID
    for (uint8_t b : {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) extra.push_back(b);
    return formatBody(0xFFFE, channels, rate, static_cast<uint16_t>(channels * bits / 8), bits, extra);
}

Bytes chunkList(const std::string& form, const std::vector<RiffChunk>& chunks)
{
    Bytes body(form.begin(), form.end());
    for (const auto& chunk : chunks) {
        body.insert(body.end(), chunk.id.begin(), chunk.id.end());
        putLe32(body, static_cast<uint32_t>(chunk.body.size()));
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2 != 0) body.push_back(0);
    }
    return body;
}

Bytes riffFile(const std::vector<RiffChunk>& chunks, std::optional<uint32_t> riffSize)
{
    const Bytes body = chunkList("WAVE", chunks);
    Bytes file{'R', 'I', 'F', 'F'};
    putLe32(file, riffSize.value_or(static_cast<uint32_t>(body.size())));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes simpleWave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data)
{
    auto blockAlign = static_cast<uint16_t>(channels * bits / 8);
    return riffFile({{"fmt ", formatBody(tag, channels, rate, blockAlign, bits)}, {"data", data}});
}

Bytes textBody(const std::string& text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

Bytes stereoNoise16(size_t frames, uint32_t seed)
{
    Bytes b;
    for (size_t i = 0; i < 2 * frames; ++i) {
        seed = seed * 1103515245u + 12345u;
        putLe16(b, uint16_t(int16_t((seed >> 16) % 16001) - 8000));
    }
    return b;
}

std::vector<int16_t> samplesOf(const std::string& bytes, size_t headerBytes)
{
    std::vector<int16_t> s((bytes.size() - headerBytes) / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(uint8_t(bytes[headerBytes + 2 * i]) | uint8_t(bytes[headerBytes + 2 * i + 1]) << 8);
    return s;
}
