// The formatter, string growth and the device check: the work the compiler
// does once per message and the drivers once per file.
#include "util/fileset.h"
#include "util/strset.h"

#include <benchmark/benchmark.h>

namespace {

void formatMessage(benchmark::State& state)
{
    util::STRSET* s = util::ss_create(nullptr, 0);
    for (auto _ : state) {
        util::ss_truncate(s, 0);
        util::ss_format(s, "Syntax error in %d. (%s) %08X", {int32_t{1234}, "/music/song.kvt", uint32_t{0xBEEF}});
        benchmark::DoNotOptimize(util::ss_text(s));
    }
    util::ss_free(s);
}
BENCHMARK(formatMessage);

void appendBytes(benchmark::State& state)
{
    for (auto _ : state) {
        util::STRSET* s = util::ss_create(nullptr, 0);
        for (int64_t i = 0; i < state.range(0); ++i) {
            util::ss_append(s, static_cast<char>('a' + i % 26));
        }
        benchmark::DoNotOptimize(util::ss_text(s));
        util::ss_free(s);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(appendBytes)->Arg(100)->Arg(100000);

void conproofCheck(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(util::conproof_hit("/home/musician/scores/2024/autumn/console-theme.kvt"));
    }
}
BENCHMARK(conproofCheck);

} // namespace
