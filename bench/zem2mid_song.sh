#!/bin/sh
# Whole-process time of zem2mid exporting a generated 5-minute song of 16
# tracks (sixteenth notes at 120 beats per minute, a controller change and a
# pitch bend every bar), after compiling it with zemc.  Target: under 1 s.
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/lib/dense_song.sh"
# shellcheck source=bench/lib/prelude.sh
. "$root/bench/lib/prelude.sh"
bench_need_built zem2mid_song "$build/bin/zemc" "$build/bin/zem2mid"
bench_need_programs zem2mid_song hyperfine
bench_work_folder zem2mid-bench

dense_song "$work/song.kvt" 100 1 no
"$build/bin/zemc" "$work/song.kvt" > /dev/null
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    "$build/bin/zem2mid -L1 $work/song.ZEM" > /dev/null 2>&1
/usr/bin/python3 - "$work/times.json" "$work/song.MID" <<'PY'
import json, os, sys
result = json.load(open(sys.argv[1]))["results"][0]
print(f"zem2mid, 5-minute 16-track song: mean {result['mean']:.3f} s "
      f"(min {result['min']:.3f} s, {os.path.getsize(sys.argv[2])} bytes written)")
PY
