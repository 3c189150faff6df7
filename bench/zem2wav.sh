#!/bin/sh
# Whole-process time of zem2wav rendering the demo piece, against the
# fluidsynth program rendering the demo's MIDI export with the same SoundFont,
# rate and gain.  Targets: at least 20 times faster than real time, and no
# slower than fluidsynth (time ratio at most 1.2).
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
score="$root/examples/demo.kvt"
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
for tool in "$build/bin/zemc" "$build/bin/zem2mid" "$build/bin/zem2wav"; do
    [ -x "$tool" ] || { echo "zem2wav: $tool not built, skipped"; exit 0; }
done
for program in hyperfine fluidsynth; do
    command -v $program >/dev/null 2>&1 || { echo "zem2wav: $program missing, skipped"; exit 0; }
done
[ -f "$score" ] || { echo "zem2wav: no demo piece, skipped"; exit 0; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zem2wav-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
cp "$score" "$work/demo.kvt"
"$build/bin/zemc" "$work/demo.kvt" > /dev/null
"$build/bin/zem2mid" "$work/demo.ZEM" > /dev/null

# Each run starts without an output, so no backup is made.
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    --prepare "rm -f $work/demo*.WAV $work/ref.wav" \
    -n zem2wav "$build/bin/zem2wav $work/demo.ZEM" \
    -n fluidsynth "fluidsynth -ni -q -r 44100 -g 0.2 -F $work/ref.wav $soundfont $work/demo.MID" > /dev/null 2>&1
"$build/bin/zem2wav" "$work/demo.ZEM" > /dev/null

/usr/bin/python3 - "$work/times.json" "$work/demo.WAV" <<'PY'
import json, os, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
seconds = (os.path.getsize(sys.argv[2]) - 44) / 176400
ours, theirs = results["zem2wav"], results["fluidsynth"]
speed = seconds / ours["mean"]
ratio = ours["mean"] / theirs["mean"]
print(f"zem2wav, demo piece ({seconds:.1f} s of audio): mean {ours['mean']:.3f} s "
      f"(min {ours['min']:.3f} s), {speed:.1f} times real time "
      f"[{'ok' if speed >= 20 else 'BELOW TARGET'}: at least 20]")
print(f"fluidsynth -F on the MIDI export: mean {theirs['mean']:.3f} s (min {theirs['min']:.3f} s); "
      f"zem2wav / fluidsynth = {ratio:.2f} [{'ok' if ratio <= 1.2 else 'ABOVE TARGET'}: at most 1.2]")
PY
