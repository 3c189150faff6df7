#!/bin/sh
# Whole-process time of zem2wav rendering the demo piece, against the
# fluidsynth program rendering the demo's MIDI export with the same SoundFont,
# rate and gain.  Targets: at least 20 times faster than real time, and no
# slower than fluidsynth (time ratio at most 1.2).  Then, for the record, a
# generated dense 10-minute piece of 16 tracks (sixteenth notes at 120 beats
# per minute, a controller change and a pitch bend every bar), once each.
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/lib/dense_song.sh"
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

# A run moves the previous run's output to a backup name, in the temporary
# folder: a rename, nothing to time.
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    -n zem2wav "$build/bin/zem2wav $work/demo.ZEM" \
    -n fluidsynth "fluidsynth -ni -q -r 44100 -g 0.2 -F $work/ref.wav $soundfont $work/demo.MID" > /dev/null 2>&1

report() {
    /usr/bin/python3 - "$1" "$2" "$3" "$4" <<'PY'
import json, os, sys
times, wave, label, targets = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] == "yes"
results = {r["command"]: r for r in json.load(open(times))["results"]}
seconds = (os.path.getsize(wave) - 44) / 176400
ours, theirs = results["zem2wav"], results["fluidsynth"]
speed = seconds / ours["mean"]
ratio = ours["mean"] / theirs["mean"]
speed_note = (" [ok: at least 20]" if speed >= 20 else " [BELOW TARGET: at least 20]") if targets else ""
ratio_note = (" [ok: at most 1.2]" if ratio <= 1.2 else " [ABOVE TARGET: at most 1.2]") if targets else ""
print(f"zem2wav, {label} ({seconds:.1f} s of audio): mean {ours['mean']:.3f} s "
      f"(min {ours['min']:.3f} s), {speed:.1f} times real time{speed_note}")
print(f"fluidsynth -F on the MIDI export: mean {theirs['mean']:.3f} s (min {theirs['min']:.3f} s), "
      f"{seconds / theirs['mean']:.1f} times real time; zem2wav / fluidsynth = {ratio:.2f}{ratio_note}")
PY
}
report "$work/times.json" "$work/demo.WAV" "demo piece" yes

# 300 bars of two seconds.
dense_song "$work/dense.kvt" 90 2 yes
"$build/bin/zemc" "$work/dense.kvt" > /dev/null
"$build/bin/zem2mid" "$work/dense.ZEM" > /dev/null
hyperfine --runs 1 --export-json "$work/dense.json" \
    -n zem2wav "$build/bin/zem2wav $work/dense.ZEM" \
    -n fluidsynth "fluidsynth -ni -q -r 44100 -g 0.2 -F $work/ref.wav $soundfont $work/dense.MID" > /dev/null 2>&1
report "$work/dense.json" "$work/dense.WAV" "dense 10-minute piece" no
