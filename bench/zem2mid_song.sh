#!/bin/sh
# Whole-process time of zem2mid exporting a generated 5-minute song of 16
# tracks (sixteenth notes at 120 beats per minute, a controller change and a
# pitch bend every bar), after compiling it with zemc.  Target: under 1 s.
set -eu
build=$1
for tool in "$build/bin/zemc" "$build/bin/zem2mid"; do
    [ -x "$tool" ] || { echo "zem2mid_song: $tool not built, skipped"; exit 0; }
done
command -v hyperfine >/dev/null 2>&1 || { echo "zem2mid_song: hyperfine missing, skipped"; exit 0; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zem2mid-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# 150 passes of one bar of sixteen sixteenths: 2400 sixteenths, 5 minutes.
{
    echo "T120"
    t=0
    while [ $t -lt 16 ]; do
        echo "#$t :$t v100 l16 o4 [150 c d e f g f e d c d e f g f e d y1,$((t * 7 % 128)) K$((t * 300)) ]"
        t=$((t + 1))
    done
} > "$work/song.kvt"
"$build/bin/zemc" "$work/song.kvt" > /dev/null
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    "$build/bin/zem2mid -L1 $work/song.ZEM" > /dev/null 2>&1
/usr/bin/python3 - "$work/times.json" "$work/song.MID" <<'PY'
import json, os, sys
result = json.load(open(sys.argv[1]))["results"][0]
print(f"zem2mid, 5-minute 16-track song: mean {result['mean']:.3f} s "
      f"(min {result['min']:.3f} s, {os.path.getsize(sys.argv[2])} bytes written)")
PY
