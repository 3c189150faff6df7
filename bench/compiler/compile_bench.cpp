// Whole compilations of a generated 1 MB text with 16 tracks of notes,
// controllers, loops and chords.  Three ways, with the same image:
//  - per number: the text walked once per track number 0 to 255 to find
//    the tracks, then once per present track (272 walks);
//  - one walk: the tracks found in one walk, then once per present track;
//  - library: one walk, and each track's pass jumps over the other tracks'
//    text (the library entry as the programs call it);
//  - in memory, with and without the source map.
#include "compile_driver.h"
#include "kvt/compile_job.h"
#include "kvt_text_generator.h"
#include "per_number_scan.h"
#include "zemcmain.h"

#include "util/uerr.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string& megabyteText()
{
    static const std::string text = [] {
        kvt_test::GeneratorOptions o;
        o.seed = 2024;
        o.targetBytes = 1 << 20;
        o.trackNumbers = 16;
        o.roundRobin = true;
        return kvt_test::generateKvtText(o);
    }();
    return text;
}

std::string outputPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void keepMessage(void* user, const char* message, const char*) { *static_cast<std::string*>(user) = message; }

void BM_CompileLibrary(benchmark::State& state)
{
    const std::string& text = megabyteText();
    std::string path = outputPath("zemc-bench-library.zem");
    std::string message;
    for (auto _ : state) {
        int32_t result = zemc(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
                              nullptr, path.c_str(), 0, keepMessage, &message);
        if (result != 0) {
            state.SkipWithError(message.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_CompileLibrary)->Unit(benchmark::kMillisecond);

// The same compile into memory, as the renderer and the player use it;
// with a map, also where every word came from in the text.
void compileInMemory(benchmark::State& state, kvt::SourceMap* sourceMap)
{
    const std::string& text = megabyteText();
    std::string message;
    std::vector<uint8_t> image;
    kvt::CompileRequest request{reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<uint32_t>(text.size()),
                                nullptr,
                                0,
                                keepMessage,
                                &message};
    request.sourceMap = sourceMap;
    for (auto _ : state) {
        if (kvt::compileToMemory(request, image) != ZEMC_OK) {
            state.SkipWithError(message.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_CompileInMemory(benchmark::State& state) { compileInMemory(state, nullptr); }
BENCHMARK(BM_CompileInMemory)->Unit(benchmark::kMillisecond);

void BM_CompileInMemoryWithSourceMap(benchmark::State& state)
{
    kvt::SourceMap map;
    compileInMemory(state, &map);
    size_t runs = 0;
    for (const kvt::TrackSourceMap& t : map.tracks) runs += t.runs.size();
    state.counters["runs"] = static_cast<double>(runs);
}
BENCHMARK(BM_CompileInMemoryWithSourceMap)->Unit(benchmark::kMillisecond);

// Starts a compile of text and finds its tracks, either per track number or
// in one walk over the text.
kvt::TrackSet scanText(kvt::CompileContext& ctx, const std::string& text, bool perNumber)
{
    kvt::initContext(ctx, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), 0);
    kvt::TrackSet found;
    if (perNumber)
        kvt_test::scanPerTrackNumber(ctx, found);
    else
        kvt::scanTracks(ctx, kvt::TrackSet().set(), found);
    return found;
}

// The library's compile steps, with the chosen scan and every track's
// pass reading the whole text.
void compileReadingAll(const std::string& text, bool perNumber)
{
    kvt::CompileContext ctx;
    kvt::TrackSet found = scanText(ctx, text, perNumber);
    kvt::recordTracks(ctx, found);
    std::vector<uint8_t> image;
    kvt::ImageWriter writer(image);
    kvt::writeImage(ctx, writer);
    writer.flush();
    benchmark::DoNotOptimize(image.data());
}

void BM_CompileReadingAll(benchmark::State& state)
{
    const std::string& text = megabyteText();
    bool perNumber = state.range(0) == 0;
    for (auto _ : state) {
        try {
            compileReadingAll(text, perNumber);
        } catch (const util::UerrRaised&) {
            state.SkipWithError("compilation failed");
            break;
        }
    }
    state.SetLabel(perNumber ? "scan per track number" : "scan in one walk");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CompileReadingAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ScanOnly(benchmark::State& state)
{
    const std::string& text = megabyteText();
    bool perNumber = state.range(0) == 0;
    for (auto _ : state) {
        kvt::CompileContext ctx;
        kvt::TrackSet found = scanText(ctx, text, perNumber);
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(perNumber ? "per track number" : "one walk");
}
BENCHMARK(BM_ScanOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
