// Conversion time per event of one track, for growing tracks.  Notes that
// never end are the worst case for the note-length scan: a walk ahead from
// every note-on would cost n x n steps; the time per event must stay flat.
#include "mid2kvt/convert.h"
#include "smf/smf_bytes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

class NullSink : public mid2kvt::KvtSink {
public:
    void write(const char*, size_t n) override { bytes += n; }
    size_t bytes = 0;
};

// One track of `notes` note-ons, each followed by a note-off unless
// `unended`, keys cycling over five octaves, 24 ticks apart.
std::vector<uint8_t> trackFile(int notes, bool unended)
{
    std::vector<uint8_t> events;
    for (int i = 0; i < notes; ++i) {
        const uint8_t key = uint8_t(36 + i % 60);
        events.insert(events.end(), {0x18, 0x90, key, 100});
        if (!unended) events.insert(events.end(), {0x18, 0x80, key, 64});
    }
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    smf::appendBe32(file, uint32_t(events.size()));
    file.insert(file.end(), events.begin(), events.end());
    return file;
}

void convert(benchmark::State& state, bool unended)
{
    const std::vector<uint8_t> file = trackFile(int(state.range(0)), unended);
    smf::SmfHeader header{};
    if (smf::readHeader(file.data(), file.size(), header) != smf::ReadError::None)
        state.SkipWithError("bad generated header");
    for (auto _ : state) {
        NullSink sink;
        mid2kvt::ImportNotes notes;
        if (mid2kvt::convertTracks(file.data(), file.size(), header, sink, notes) != smf::ReadError::None)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * int64_t(file.size()));
}

void BM_NotesWithOffs(benchmark::State& state) { convert(state, false); }
void BM_NotesWithoutOffs(benchmark::State& state) { convert(state, true); }

BENCHMARK(BM_NotesWithOffs)->RangeMultiplier(10)->Range(1000, 1000000);
BENCHMARK(BM_NotesWithoutOffs)->RangeMultiplier(10)->Range(1000, 1000000);

} // namespace
