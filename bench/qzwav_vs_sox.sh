#!/bin/sh
# Whole-process decoding time of qzdecode (qzwav.so) against sox writing raw
# 16-bit PCM, for 60-second files (16-bit stereo, 24-bit stereo, IMA and
# Microsoft ADPCM) and a 10-minute IMA ADPCM file.  Prints each mean time and
# the ratio qzdecode / sox (target: at most 1.0; for IMA ADPCM at most 0.5).
set -eu
build=$1
# shellcheck source=bench/lib/prelude.sh
. "$(dirname "$0")/lib/prelude.sh"
qzdecode="$build/bin/qzdecode"
bench_need_built qzwav_vs_sox "$qzdecode"
bench_need_programs qzwav_vs_sox sox ffmpeg hyperfine
bench_work_folder qzwav-bench

sox -R -n -r 44100 -c 2 -b 16 "$work/pcm16.wav" synth 60 sine 220-3000 sine 1234 gain -3
sox -R -n -r 44100 -c 2 -b 24 "$work/pcm24.wav" synth 60 sine 220-3000 sine 1234 gain -3
ffmpeg -nostdin -v error -y -i "$work/pcm16.wav" -c:a adpcm_ima_wav "$work/ima.wav"
ffmpeg -nostdin -v error -y -i "$work/pcm16.wav" -c:a adpcm_ms "$work/ms.wav"
sox -R -n -r 44100 -c 2 -b 16 "$work/long.wav" synth 600 sine 220-3000 sine 1234 gain -3
ffmpeg -nostdin -v error -y -i "$work/long.wav" -c:a adpcm_ima_wav "$work/ima10.wav"
rm -f "$work/long.wav"

for name in pcm16 pcm24 ima ms ima10; do
    in="$work/$name.wav"
    # No shell in between: both processes are timed alone, each writing a file.
    hyperfine -N --style none --warmup 3 --runs 20 --output "$work/qz.raw" --export-csv "$work/$name.csv" \
        -n qzdecode "$qzdecode $in" \
        -n sox "sox $in -t raw -e signed -b 16 $work/sox.raw"
    case $name in ima*) goal=0.5 ;; *) goal=1.0 ;; esac
    awk -F, -v name="$name" -v goal="$goal" '
        NR == 2 { qz = $2 }
        NR == 3 { sx = $2 }
        END {
            ratio = qz / sx
            printf "%-6s qzdecode %7.2f ms  sox %7.2f ms  ratio %.2f  [%s: at most %.1f]\n", name, qz * 1000,
                   sx * 1000, ratio, ratio <= goal ? "ok" : "ABOVE TARGET", goal
        }' "$work/$name.csv"
done
