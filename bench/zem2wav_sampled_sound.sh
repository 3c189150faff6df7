#!/bin/sh
# Whole-process time of zem2wav rendering a 30-second score that plays four
# streams (16-bit stereo WAVE files) and sixteen voices beside a MIDI track.
# Target: at least 20 times faster than real time.
set -eu
build=$1
# shellcheck source=bench/lib/prelude.sh
. "$(dirname "$0")/lib/prelude.sh"
bench_need_built "zem2wav sampled sound" "$build/bin/zem2wav"
bench_need_programs "zem2wav sampled sound" hyperfine
bench_work_folder zem2wav-sampled
/usr/bin/python3 - "$work" <<'PY'
import random, struct, sys
folder = sys.argv[1]
def wave(name, seconds, seed):
    rnd = random.Random(seed)
    frames = 44100 * seconds
    data = struct.pack("<%dh" % (2 * frames), *(rnd.randint(-3000, 3000) for _ in range(2 * frames)))
    fmt = struct.pack("<HHIIHH", 1, 2, 44100, 44100 * 4, 4, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(data)) + data
    open(f"{folder}/{name}", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
for n in range(4):
    wave(f"s{n}.wav", 31, n)
wave("voice.wav", 2, 9)
PY
{
    echo '#0 T120 =101,16 =102,0 ?128"voice.wav" ?129{0F}'
    for n in 0 1 2 3; do echo "=130,$n ?132\"s$n.wav\""; done
    echo 'r4'
    for n in 0 1 2 3; do echo "=130,$n ?134"; done
    echo 'l16 [240 ?130 r ]'
    echo '#1 @1 v90 l8 o4 r4 [60 c e g > c < ]'
} > "$work/sampled.kvt"
"$build/bin/zemc" "$work/sampled.kvt" > /dev/null

hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    -n zem2wav "$build/bin/zem2wav $work/sampled.ZEM" > /dev/null 2>&1
/usr/bin/python3 - "$work/times.json" "$work/sampled.WAV" <<'PY'
import json, os, sys
result = json.load(open(sys.argv[1]))["results"][0]
seconds = (os.path.getsize(sys.argv[2]) - 44) / 176400
speed = seconds / result["mean"]
note = " [ok: at least 20]" if speed >= 20 else " [BELOW TARGET: at least 20]"
print(f"zem2wav, 4 streams and 16 voices ({seconds:.1f} s of audio): mean {result['mean']:.3f} s "
      f"(min {result['min']:.3f} s), {speed:.1f} times real time{note}")
PY
