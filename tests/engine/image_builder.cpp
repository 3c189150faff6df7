#include "image_builder.h"

#include "zem/command_words.h"

namespace zemtest {

namespace {

uint32_t tableEnd(const ImagePlan& plan)
{
    return static_cast<uint32_t>(zem::kHeaderSize + zem::kTrackEntrySize * plan.tracks.size());
}

} // namespace

uint32_t wordOffset(const ImagePlan& plan, unsigned track, size_t index)
{
    uint32_t offset = tableEnd(plan) + plan.extensionSize;
    for (unsigned t = 0; t < track; ++t) offset += static_cast<uint32_t>(plan.tracks[t].size() * 2);
    return offset + static_cast<uint32_t>(index * 2);
}

std::vector<uint8_t> buildImage(const ImagePlan& plan)
{
    std::vector<uint8_t> image(tableEnd(plan) + plan.extensionSize, 0);
    for (size_t i = 0; i < 8; ++i) image[i] = static_cast<uint8_t>(zem::kMagic[i]);
    for (size_t i = 0; i < 4 && i < plan.version.size(); ++i) image[8 + i] = static_cast<uint8_t>(plan.version[i]);
    zem::writeU16(&image[zem::kOffTrackCount], static_cast<uint16_t>(plan.tracks.size()));
    zem::writeU16(&image[zem::kOffTimebase], plan.timebase);
    zem::writeU32(&image[zem::kOffTitle], plan.title);
    zem::writeU32(&image[zem::kOffNotice], plan.notice);
    zem::writeU32(&image[zem::kOffExtensionSize], plan.extensionSize);
    uint32_t ext = tableEnd(plan);
    uint8_t extension[8];
    zem::writeU32(extension, plan.meta190);
    zem::writeU32(extension + 4, plan.meta191);
    for (uint32_t i = 0; i < plan.extensionSize && i < 8; ++i) image[ext + i] = extension[i];
    for (unsigned t = 0; t < plan.tracks.size(); ++t) {
        uint8_t* entry = &image[zem::kHeaderSize + zem::kTrackEntrySize * t];
        zem::writeU32(entry, wordOffset(plan, t, 0));
        zem::writeU32(entry + 4, static_cast<uint32_t>(plan.tracks[t].size() * 2));
    }
    for (const Words& words : plan.tracks) {
        for (uint16_t w : words) {
            image.push_back(static_cast<uint8_t>(w));
            image.push_back(static_cast<uint8_t>(w >> 8));
        }
    }
    return image;
}

Words cat(std::initializer_list<Words> parts)
{
    Words out;
    for (const Words& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Words lengthWords(uint32_t ticks)
{
    auto e = zem::encodeLength(ticks);
    return Words(e.words.begin(), e.words.begin() + e.count);
}

Words payloadWords(const std::vector<uint8_t>& bytes, bool withNul)
{
    std::vector<uint8_t> b = bytes;
    if (withNul) b.push_back(0);
    if (b.size() & 1) b.push_back(0);
    Words out;
    for (size_t i = 0; i < b.size(); i += 2) out.push_back(static_cast<uint16_t>(b[i] | (b[i + 1] << 8)));
    return out;
}

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

Words note(unsigned key, uint32_t length, bool waitAfter)
{
    return cat({{zem::makeNote(key, true, waitAfter)}, lengthWords(length)});
}

Words wait(uint32_t ticks)
{
    if (ticks <= 0x0FFF) return {zem::makeWait(ticks)};
    return lengthWords(ticks);
}

Words meta(unsigned type, const std::vector<uint8_t>& payload)
{
    return cat({{zem::kMeta, zem::makeMetaLengthWord(type, static_cast<unsigned>(payload.size()))},
                payloadWords(payload, true)});
}

Words text(const std::string& s)
{
    return cat({{zem::makeText(static_cast<unsigned>(s.size()))}, payloadWords(bytesOf(s), true)});
}

Words sysex(const std::vector<uint8_t>& bytes)
{
    return cat({{zem::makeByteClass(zem::kSysex, static_cast<unsigned>(bytes.size()))}, payloadWords(bytes, false)});
}

Words macro(unsigned code, const std::vector<uint8_t>& args)
{
    return cat({{zem::makeMacro(code, static_cast<unsigned>(args.size()))}, payloadWords(args, false)});
}

Words param(unsigned reg, uint16_t value) { return {zem::makeParam(reg), value}; }

Words tempo(uint32_t period)
{
    return {zem::makeTempoHigh(zem::kTempo, period), static_cast<uint16_t>(period & 0xFFFF)};
}

} // namespace zemtest
