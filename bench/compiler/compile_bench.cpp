// Whole compilations of a generated 1 MB text with 16 tracks of notes,
// controllers, loops and chords: through the library entry (one walk to
// find the tracks), and with the reference scan that walks the text once
// per track number.
#include "compile_driver.h"
#include "kvt_text_generator.h"
#include "per_number_scan.h"
#include "zemcmain.h"

#include "util/fileset.h"
#include "util/uerr.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

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

void keepMessage(void* user, const char* message, const char*) { *static_cast<std::string*>(user) = message; }

std::string outputPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_CompileOneWalkScan(benchmark::State& state)
{
    const std::string& text = megabyteText();
    std::string path = outputPath("zemc-bench-one-walk.zem");
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
BENCHMARK(BM_CompileOneWalkScan)->Unit(benchmark::kMillisecond);

// The library's compile steps, with the reference scan in place of the
// one-walk scan.
void compilePerNumber(const std::string& text, const std::string& path)
{
    kvt::CompileContext ctx;
    kvt::initContext(ctx, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), 0);
    kvt::TrackSet found;
    kvt_test::scanPerTrackNumber(ctx, found);
    kvt::recordTracks(ctx, found);
    util::FILESET* file = util::fs_create();
    util::fs_set_path(file, path.c_str(), nullptr);
    util::fs_create_file(file, 0x80);
    util::fs_open(file, util::FileMode::Write);
    {
        kvt::ImageWriter writer(file);
        kvt::writeImage(ctx, writer);
    }
    util::fs_close(file);
    util::fs_free(file);
}

void BM_CompilePerNumberScan(benchmark::State& state)
{
    const std::string& text = megabyteText();
    std::string path = outputPath("zemc-bench-per-number.zem");
    for (auto _ : state) {
        try {
            compilePerNumber(text, path);
        } catch (const util::UerrRaised& e) {
            state.SkipWithError("compilation failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_CompilePerNumberScan)->Unit(benchmark::kMillisecond);

void BM_ScanOnly(benchmark::State& state)
{
    const std::string& text = megabyteText();
    bool oneWalk = state.range(0) != 0;
    for (auto _ : state) {
        kvt::CompileContext ctx;
        kvt::initContext(ctx, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), 0);
        kvt::TrackSet found;
        if (oneWalk)
            kvt::scanTracks(ctx, kvt::TrackSet().set(), found);
        else
            kvt_test::scanPerTrackNumber(ctx, found);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ScanOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
