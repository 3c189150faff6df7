#!/bin/sh
# Whole-process time of mid2kvt against midicsv (MIDI to CSV text) on the
# same generated 1 MB MIDI file: 16 tracks of overlapping notes, controllers,
# pitch bends and texts.  Prints each mean time and the ratio
# mid2kvt / midicsv (target: at most 1.0).
set -eu
build=$1
# shellcheck source=bench/lib/prelude.sh
. "$(dirname "$0")/lib/prelude.sh"
mid2kvt="$build/bin/mid2kvt"
bench_need_built mid2kvt_vs_midicsv "$mid2kvt"
bench_need_programs mid2kvt_vs_midicsv midicsv hyperfine /usr/bin/python3
bench_work_folder mid2kvt-bench

/usr/bin/python3 - "$work/big.mid" <<'PY'
import random, struct, sys

def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, 0x80 | (v & 0x7F))
        v >>= 7
    return bytes(out)

random.seed(1)
tracks = []
per_track = 1024 * 1024 // 16
for t in range(16):
    ch = t % 16
    ev = bytearray(b"\x00\xff\x03" + vlq(8) + b"Track %02d" % t)
    sounding = []
    while len(ev) < per_track:
        r = random.random()
        if r < 0.45 or not sounding:
            key = random.randint(36, 96)
            ev += vlq(random.choice((0, 0, 24, 48, 96))) + bytes((0x90 | ch, key, random.randint(1, 127)))
            sounding.append(key)
        elif r < 0.85:
            key = sounding.pop(random.randrange(len(sounding)))
            ev += vlq(random.choice((0, 24, 48, 96, 192))) + bytes((0x80 | ch, key, 64))
        elif r < 0.95:
            ev += vlq(random.choice((0, 12))) + bytes((0xB0 | ch, random.choice((1, 7, 10, 11, 64)), random.randint(0, 127)))
        else:
            ev += vlq(6) + bytes((0xE0 | ch, random.randint(0, 127), random.randint(0, 127)))
    ev += b"\x00\xff\x2f\x00"
    tracks.append(b"MTrk" + struct.pack(">I", len(ev)) + ev)
with open(sys.argv[1], "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), 480) + b"".join(tracks))
PY

echo "input: $(wc -c < "$work/big.mid") bytes"
hyperfine --style basic --warmup 2 --runs 15 --export-csv "$work/times.csv" \
    --prepare "rm -f '$work'/big*.KVT" \
    -n mid2kvt "'$mid2kvt' '$work/big.mid'" \
    -n midicsv "midicsv '$work/big.mid' '$work/big.csv'" >/dev/null 2>&1
awk -F, '
    NR == 2 { m = $2 }
    NR == 3 { c = $2 }
    END {
        ratio = m / c
        printf "mid2kvt %7.2f ms  midicsv %7.2f ms  ratio %.2f%s\n", m * 1000, c * 1000, ratio,
               ratio <= 1.0 ? "" : "  (slower than midicsv)"
    }' "$work/times.csv"
