#!/bin/sh
# Whole-process time of zem2mid exporting a generated 5-minute song of 16
# tracks (sixteenth notes at 120 beats per minute, a controller change and a
# pitch bend every bar), after compiling it with zemc.  Target: under 1 s.
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/lib/dense_song.sh"
for tool in "$build/bin/zemc" "$build/bin/zem2mid"; do
    [ -x "$tool" ] || { echo "zem2mid_song: $tool not built, skipped"; exit 0; }
done
command -v hyperfine >/dev/null 2>&1 || { echo "zem2mid_song: hyperfine missing, skipped"; exit 0; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zem2mid-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

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
