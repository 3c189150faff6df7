#!/bin/sh
# The main job of `make run`: compiles the demo piece, exports it as a MIDI
# file, renders it to a WAVE file through the built-in synthesizer, says
# what it made, and plays the WAVE file when the machine has a sound device.
#   run-example.sh BUILD [SCORE.kvt]
set -eu
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
score=${2:-$root/examples/demo.kvt}
bin="$build/bin"
out="$build/out"

for tool in zemc zem2mid zem2wav; do
    [ -x "$bin/$tool" ] || { echo "run: $bin/$tool is not built" >&2; exit 1; }
done
[ -f "$score" ] || { echo "run: no score at $score" >&2; exit 1; }

# The tools keep a replaced output as a backup; a fresh run starts clean.
name=$(basename "$score" .kvt)
mkdir -p "$out"
rm -f "$out/$name.kvt" "$out/$name.ZEM" "$out/$name.MID" "$out/$name.WAV"
cp "$score" "$out/$name.kvt"

"$bin/zemc" "$out/$name.kvt" > /dev/null
"$bin/zem2mid" "$out/$name.ZEM" > /dev/null
"$bin/zem2wav" "$out/$name.ZEM" > /dev/null

# Seconds as m:ss.s
clock() { awk -v s="$1" 'BEGIN { printf "%d:%04.1f", int(s / 60), s - 60 * int(s / 60) }'; }

midi_seconds=$(/usr/bin/python3 -c 'import sys, mido; print(mido.MidiFile(sys.argv[1]).length)' \
    "$out/$name.MID" 2>/dev/null || echo "")
# 44 header bytes, then 4 bytes per frame at 44100 frames a second.
wave_bytes=$(wc -c < "$out/$name.WAV")
wave_seconds=$(awk -v b="$wave_bytes" 'BEGIN { print (b - 44) / 176400 }')

echo "Made from $score:"
printf '  %-40s %8d bytes  (compiled image)\n' "$out/$name.ZEM" "$(wc -c < "$out/$name.ZEM")"
if [ -n "$midi_seconds" ]; then
    printf '  %-40s %8d bytes  %s\n' "$out/$name.MID" "$(wc -c < "$out/$name.MID")" "$(clock "$midi_seconds")"
else
    printf '  %-40s %8d bytes\n' "$out/$name.MID" "$(wc -c < "$out/$name.MID")"
fi
printf '  %-40s %8d bytes  %s (44100 Hz, 16-bit stereo)\n' "$out/$name.WAV" "$wave_bytes" "$(clock "$wave_seconds")"

# A sound device: an ALSA playback device, or a PulseAudio/PipeWire server.
has_audio() {
    ls /dev/snd/pcmC*p > /dev/null 2>&1 && return 0
    [ -n "${PULSE_SERVER:-}" ] && return 0
    [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] && return 0
    return 1
}
if has_audio; then
    echo "Playing $out/$name.WAV (Ctrl+C stops)"
    if command -v play > /dev/null 2>&1; then
        play -q "$out/$name.WAV" || echo "run: could not play the WAVE file"
    elif command -v ffplay > /dev/null 2>&1; then
        ffplay -nodisp -autoexit -loglevel error "$out/$name.WAV" || echo "run: could not play the WAVE file"
    else
        echo "run: no player for the WAVE file (install sox)"
    fi
else
    echo "No sound device here: listen to $out/$name.WAV elsewhere."
fi
