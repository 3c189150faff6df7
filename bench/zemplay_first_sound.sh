#!/bin/sh
# Time to first sound of zemplay: from the process's start to the first
# sample of the score's first note, heard through SDL's disk driver (which
# plays in real time), for the demo piece and a 1 MB score.  The start-up is
# that time less the first note's own time in the song (taken from a
# zem2wav render).  Targets: at most 150 ms (demo) and 300 ms (1 MB score).
set -eu
# Absolute: the runs below start in the work folder.
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib/prelude.sh
. "$root/bench/lib/prelude.sh"
bench_need_built zemplay_first_sound "$build/bin/zemplay" "$build/bin/zem2wav"
bench_need_programs zemplay_first_sound strace
bench_work_folder first-sound
cp "$root/examples/demo.kvt" "$work/demo.kvt"
awk 'BEGIN { print "T120"; for (t = 0; t < 16; t++) { printf "#%d :%d l16 o4 ", t, t;
     for (i = 0; i < 9000; i++) printf "c d e f "; print "" } }' > "$work/big.kvt"

# Milliseconds from the start of a 16-bit stereo 44.1 kHz file (after skip
# bytes) to its first sample above the dither.  The 1 MB score is 16 tracks
# of explicit sixteenth notes, its first note at the start of the song.
first_sound_ms() {
    /usr/bin/python3 - "$1" "$2" <<'PY'
import array, sys
a = array.array('h'); a.frombytes(open(sys.argv[1], 'rb').read()[int(sys.argv[2]):])
print(next((i // 2 / 44.1 for i, v in enumerate(a) if abs(v) > 64), -1))
PY
}

measure() {
    name=$1 goal=$2 in_song=$3
    # The file is opened (and truncated) each time a device opens: the last
    # open starts what it holds.
    (cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" timeout -s INT 5 \
        strace -f -tt -e trace=execve,openat -o "$work/trace.txt" "$build/bin/zemplay" "$name.kvt" \
        > /dev/null 2>&1) || true
    start=$(awk 'NR == 1 { print $2 }' "$work/trace.txt")
    opened=$(grep 'sound.raw' "$work/trace.txt" | tail -1 | awk '{ print $2 }')
    heard=$(first_sound_ms "$work/sound.raw" 0)
    /usr/bin/python3 - "$name" "$start" "$opened" "$heard" "$in_song" "$goal" <<'PY'
import sys
name, start, opened, heard, in_song, goal = sys.argv[1:]
def ms(t):
    h, m, s = t.split(":"); return (int(h) * 3600 + int(m) * 60 + float(s)) * 1000
total = ms(opened) - ms(start) + float(heard)
startup = total - float(in_song)
note = "ok" if startup <= float(goal) else "ABOVE TARGET"
print(f"zemplay {name}.kvt: first sound {total:.0f} ms after start, of which the song's own "
      f"{float(in_song):.0f} ms; start-up {startup:.0f} ms [{note}: at most {goal} ms] (under strace)")
PY
}
(cd "$work" && "$build/bin/zem2wav" -L1 -D0 demo.kvt > /dev/null)
measure demo 150 "$(first_sound_ms "$work/demo.WAV" 44)"
# The 1 MB score's first note starts the song.
measure big 300 0
