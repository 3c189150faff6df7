#include "kvt/source_map_file.h"

#include "zem/command_words.h"

#include <array>

namespace kvt {

namespace {

constexpr std::array<uint8_t, 8> kMagic = {'Z', 'E', 'M', '-', 'S', 'M', 'A', 'P'};
constexpr size_t kHeaderSize = 16;
constexpr size_t kTrackEntrySize = 12;
constexpr size_t kRunSize = 16;
constexpr size_t kMaxTracks = 256;

struct TrackEntry {
    uint8_t number;
    uint32_t wordCount;
    uint32_t runCount;
};

// The checks a run list of a track must pass: it covers the track from word
// 0, in ascending first words, and a range without a line is empty.
bool runsAreSound(const TrackSourceMap& track)
{
    if (track.runs.empty()) return track.wordCount == 0;
    if (track.runs.front().firstWord != 0) return false;
    for (size_t i = 0; i < track.runs.size(); ++i) {
        const SourceRun& run = track.runs[i];
        if (run.firstWord >= track.wordCount) return false;
        if (i > 0 && run.firstWord <= track.runs[i - 1].firstWord) return false;
        const SourceRange& r = run.range;
        if (r.line == 0 ? (r.column != 0 || r.length != 0) : r.column == 0) return false;
    }
    return true;
}

SourceMapError readTable(const uint8_t* data, size_t size, std::vector<TrackEntry>& entries)
{
    if (size < kHeaderSize) return SourceMapError::Truncated;
    if (!std::equal(kMagic.begin(), kMagic.end(), data)) return SourceMapError::NotASourceMap;
    if (zem::readU16(data + 8) != kSourceMapVersion) return SourceMapError::UnknownVersion;
    const size_t trackCount = zem::readU16(data + 10);
    const uint64_t runTotal = zem::readU32(data + 12);
    if (trackCount == 0 || trackCount > kMaxTracks) return SourceMapError::Malformed;
    const size_t runsStart = kHeaderSize + kTrackEntrySize * trackCount;
    if (size < runsStart) return SourceMapError::Truncated;
    uint64_t runSum = 0;
    for (size_t i = 0; i < trackCount; ++i) {
        const uint8_t* e = data + kHeaderSize + kTrackEntrySize * i;
        const TrackEntry entry{e[0], zem::readU32(e + 4), zem::readU32(e + 8)};
        if (e[1] != 0 || zem::readU16(e + 2) != 0) return SourceMapError::Malformed;
        if (i > 0 && entry.number <= entries.back().number) return SourceMapError::Malformed;
        runSum += entry.runCount;
        entries.push_back(entry);
    }
    if (runSum != runTotal) return SourceMapError::Malformed;
    const uint64_t expectedSize = runsStart + kRunSize * runTotal;
    if (size < expectedSize) return SourceMapError::Truncated;
    if (size > expectedSize) return SourceMapError::Malformed;
    return SourceMapError::None;
}

} // namespace

std::vector<uint8_t> encodeSourceMap(const SourceMap& map)
{
    size_t runTotal = 0;
    for (const TrackSourceMap& t : map.tracks) runTotal += t.runs.size();
    std::vector<uint8_t> out(kHeaderSize + kTrackEntrySize * map.tracks.size() + kRunSize * runTotal);
    std::copy(kMagic.begin(), kMagic.end(), out.begin());
    zem::writeU16(out.data() + 8, kSourceMapVersion);
    zem::writeU16(out.data() + 10, static_cast<uint16_t>(map.tracks.size()));
    zem::writeU32(out.data() + 12, static_cast<uint32_t>(runTotal));
    uint8_t* run = out.data() + kHeaderSize + kTrackEntrySize * map.tracks.size();
    for (size_t i = 0; i < map.tracks.size(); ++i) {
        const TrackSourceMap& t = map.tracks[i];
        uint8_t* e = out.data() + kHeaderSize + kTrackEntrySize * i;
        e[0] = t.trackNumber;
        zem::writeU32(e + 4, t.wordCount);
        zem::writeU32(e + 8, static_cast<uint32_t>(t.runs.size()));
        for (const SourceRun& r : t.runs) {
            zem::writeU32(run, r.firstWord);
            zem::writeU32(run + 4, r.range.line);
            zem::writeU32(run + 8, r.range.column);
            zem::writeU32(run + 12, r.range.length);
            run += kRunSize;
        }
    }
    return out;
}

SourceMapError decodeSourceMap(const uint8_t* data, size_t size, SourceMap& map)
{
    map.tracks.clear();
    std::vector<TrackEntry> entries;
    if (const SourceMapError error = readTable(data, size, entries); error != SourceMapError::None) return error;
    // The table and the size agree, so every run read below lies inside.
    const uint8_t* run = data + kHeaderSize + kTrackEntrySize * entries.size();
    map.tracks.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        TrackSourceMap& t = map.tracks[i];
        t.trackNumber = entries[i].number;
        t.wordCount = entries[i].wordCount;
        t.runs.resize(entries[i].runCount);
        for (SourceRun& r : t.runs) {
            r = {zem::readU32(run), {zem::readU32(run + 4), zem::readU32(run + 8), zem::readU32(run + 12)}};
            run += kRunSize;
        }
        if (!runsAreSound(t)) {
            map.tracks.clear();
            return SourceMapError::Malformed;
        }
    }
    return SourceMapError::None;
}

} // namespace kvt
