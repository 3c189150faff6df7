#!/bin/sh
# Whole-process time of zem2wav rendering the demo piece, against the
# fluidsynth program rendering the demo's MIDI export with the same SoundFont,
# rate and gain.  Targets: at least 20 times faster than real time, and at
# most 0.4 of fluidsynth's time.  Then a generated dense 10-minute piece of
# 16 tracks (sixteenth notes at 120 beats per minute, a controller change
# and a pitch bend every bar), once on one thread (-J1) and once on every
# core: the speed-up (target at least 1.7 on two cores) in wall time and in
# CPU time (the machine may be shared: the CPU time of the busiest thread is
# what a free machine's wall time would be), and the largest sample
# difference between the two renders (target at most -90 dBFS).
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/lib/dense_song.sh"
# shellcheck source=bench/lib/prelude.sh
. "$root/bench/lib/prelude.sh"
score="$root/examples/demo.kvt"
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
bench_need_built zem2wav "$build/bin/zemc" "$build/bin/zem2mid" "$build/bin/zem2wav"
bench_need_programs zem2wav hyperfine fluidsynth
[ -f "$score" ] || { echo "zem2wav: no demo piece, skipped"; exit 0; }

bench_work_folder zem2wav-bench
cp "$score" "$work/demo.kvt"
"$build/bin/zemc" "$work/demo.kvt" > /dev/null
"$build/bin/zem2mid" "$work/demo.ZEM" > /dev/null

# A run moves the previous run's output to a backup name, in the temporary
# folder: a rename, nothing to time.
hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    -n zem2wav "$build/bin/zem2wav -J0 $work/demo.ZEM" \
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
ratio_note = (" [ok: at most 0.4]" if ratio <= 0.4 else " [ABOVE TARGET: at most 0.4]") if targets else ""
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
cp "$work/dense.ZEM" "$work/one.ZEM"
cp "$work/dense.ZEM" "$work/all.ZEM"
hyperfine --runs 1 --export-json "$work/dense.json" \
    -n zem2wav "$build/bin/zem2wav -J0 $work/all.ZEM" \
    -n fluidsynth "fluidsynth -ni -q -r 44100 -g 0.2 -F $work/ref.wav $soundfont $work/dense.MID" \
    -n one "$build/bin/zem2wav -J1 $work/one.ZEM" > /dev/null 2>&1
report "$work/dense.json" "$work/all.WAV" "dense 10-minute piece, every core" no

# CPU time per thread: the busiest thread bounds the wall time on free cores.
busiest_thread_seconds() {
    "$@" > /dev/null 2>&1 &
    pid=$!
    busiest=0
    while kill -0 "$pid" 2>/dev/null; do
        for stat in /proc/"$pid"/task/*/stat; do
            ticks=$(awk '{ print $14 + $15 }' "$stat" 2>/dev/null) || continue
            [ "${ticks:-0}" -gt "$busiest" ] && busiest=$ticks
        done
        sleep 0.2
    done
    wait "$pid" || true
    echo "$busiest $(getconf CLK_TCK)" | awk '{ printf "%.2f", $1 / $2 }'
}
rm -f "$work/one.WAV" "$work/all.WAV"
one_cpu=$(busiest_thread_seconds "$build/bin/zem2wav" -J1 "$work/one.ZEM")
all_cpu=$(busiest_thread_seconds "$build/bin/zem2wav" -J0 "$work/all.ZEM")
difference=$(sox -m -v 1 "$work/one.WAV" -v -1 "$work/all.WAV" -n stat 2>&1 |
    awk '/Maximum amplitude/ { max = $3 } /Minimum amplitude/ { min = -$3 } END { print (max > min ? max : min) }')
/usr/bin/python3 - "$work/dense.json" "$one_cpu" "$all_cpu" "$difference" "$(nproc)" <<'PY'
import json, math, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
one_cpu, all_cpu, difference, cores = float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
wall = results["one"]["mean"] / results["zem2wav"]["mean"]
cpu = one_cpu / all_cpu if all_cpu > 0 else 0
note = " [ok: at least 1.7]" if cpu >= 1.7 else " [BELOW TARGET: at least 1.7]"
print(f"dense piece, {cores} cores against -J1: wall-time speed-up {wall:.2f}; busiest-thread CPU "
      f"{one_cpu:.1f} s against {all_cpu:.1f} s, speed-up {cpu:.2f}{note}")
level = 20 * math.log10(difference) if difference > 0 else float("-inf")
note = " [ok: at most -90 dBFS]" if level <= -90 else " [ABOVE TARGET: at most -90 dBFS]"
print(f"largest sample difference to -J1: {round(difference * 32768)} ({level:.1f} dBFS){note}")
PY
