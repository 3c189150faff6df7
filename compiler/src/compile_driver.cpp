#include "compile_driver.h"

#include "commands.h"
#include "source_map_builder.h"
#include "zem/command_words.h"

#include <algorithm>

namespace kvt {

void initContext(CompileContext& ctx, const uint8_t* text, uint32_t length, uint16_t conditionMask)
{
    ctx = CompileContext{};
    ctx.text = text;
    ctx.length = length;
    ctx.startConditionMask = conditionMask;
}

void scanTracks(CompileContext& ctx, const TrackSet& interest, TrackSet& found, SelectionMap* map)
{
    if ((found & interest) == interest) return;
    Parser p{.ctx = ctx, .interest = interest, .found = &found, .map = map};
    if (map != nullptr) {
        *map = SelectionMap{};
        map->textLength = ctx.length;
    }
    resetTrackState(p.st, ctx.text, ctx.length, PassMode::Scan, 0, ctx.startConditionMask);
    try {
        runCommandLoop(p);
    } catch (const ScanComplete&) {
        return;
    }
    if (map != nullptr) recordEnd(*map, p.st, ctx.timebaseMax);
}

void findTracks(CompileContext& ctx, SelectionMap& map)
{
    TrackSet found;
    scanTracks(ctx, TrackSet().set(), found, &map);
    recordTracks(ctx, found);
}

void recordTracks(CompileContext& ctx, const TrackSet& found)
{
    if (found.none()) compileError(kErrEmptyTrack);
    ctx.present = found;
    ctx.trackCount = 0;
    for (unsigned k = 0; k < 256; ++k)
        if (found.test(k)) ctx.trackIndex[k] = static_cast<uint8_t>(ctx.trackCount++);
}

namespace {

void emitTrack(CompileContext& ctx, uint8_t number, ImageWriter& out, SelectionMap* map, SourceMapBuilder* sourceMap)
{
    Parser p{.ctx = ctx, .out = &out, .map = map, .sourceMap = sourceMap};
    resetTrackState(p.st, ctx.text, ctx.length, PassMode::Emit, number, ctx.startConditionMask);
    if (sourceMap != nullptr) sourceMap->beginTrack(number, out.position());
    runCommandLoop(p);
    if (sourceMap != nullptr) sourceMap->endTrack(out.position());
}

void writeHeader(const CompileContext& ctx, ImageWriter& out)
{
    uint8_t header[zem::kHeaderSize];
    for (size_t i = 0; i < sizeof zem::kMagicAndVersion; ++i)
        header[i] = static_cast<uint8_t>(zem::kMagicAndVersion[i]);
    zem::writeU16(header + zem::kOffTrackCount, ctx.trackCount);
    zem::writeU16(header + zem::kOffTimebase, static_cast<uint16_t>(ctx.timebaseMax));
    zem::writeU32(header + zem::kOffTitle, ctx.infoOffsets[0]);
    zem::writeU32(header + zem::kOffNotice, ctx.infoOffsets[1]);
    zem::writeU32(header + zem::kOffExtensionSize, zem::kExtensionSize);
    out.seek(0);
    out.bytes(header, sizeof header);
    uint8_t extension[zem::kExtensionSize];
    zem::writeU32(extension + zem::kExtOffMeta190, ctx.infoOffsets[2]);
    zem::writeU32(extension + zem::kExtOffMeta191, ctx.infoOffsets[3]);
    out.seek(static_cast<uint32_t>(zem::kHeaderSize + zem::kTrackEntrySize * ctx.trackCount));
    out.bytes(extension, sizeof extension);
    out.flush();
}

} // namespace

void writeImage(CompileContext& ctx, ImageWriter& out, SelectionMap* map, SourceMapBuilder* sourceMap)
{
    if (map != nullptr && !map->usable) map = nullptr;
    const uint32_t tableSize = static_cast<uint32_t>(zem::kTrackEntrySize * ctx.trackCount);
    const uint32_t dataStart = static_cast<uint32_t>(zem::kHeaderSize) + tableSize + zem::kExtensionSize;
    ctx.timebaseMax = 0;
    out.seek(0);
    for (uint32_t i = 0; i < dataStart; ++i) out.byte(0);

    uint32_t position = dataStart;
    for (unsigned k = 0; k < 256; ++k) {
        if (!ctx.present.test(k)) continue;
        out.seek(position);
        emitTrack(ctx, static_cast<uint8_t>(k), out, map, sourceMap);
        uint32_t end = out.position();
        uint8_t entry[zem::kTrackEntrySize];
        zem::writeU32(entry, position);
        zem::writeU32(entry + 4, end - position);
        out.seek(static_cast<uint32_t>(zem::kHeaderSize + zem::kTrackEntrySize * ctx.trackIndex[k]));
        out.bytes(entry, sizeof entry);
        position = end;
    }
    // Jumped-over text holds timebase commands too; the scan saw them all.
    if (map != nullptr) ctx.timebaseMax = std::max(ctx.timebaseMax, map->timebaseMax);
    if (ctx.timebaseMax == 0) ctx.timebaseMax = zem::kDefaultTimebase;
    writeHeader(ctx, out);
}

} // namespace kvt
