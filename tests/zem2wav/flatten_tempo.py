"""Rewrites a Standard MIDI File as one track at one constant tempo, every
event at its exact time (0.1 ms ticks) as the file's own tempo map gives it.

The fluidsynth program's player drifts on files that change tempo every
few ticks (tempo slides); flattened, its rendering is a fair reference.
usage: flatten_tempo.py IN.mid OUT.mid
"""
import sys

import mido

TICKS_PER_BEAT = 5000  # at 500000 us per beat: one tick is 0.1 ms


def main(source, target):
    out = mido.MidiFile(type=0, ticks_per_beat=TICKS_PER_BEAT)
    track = mido.MidiTrack()
    out.tracks.append(track)
    track.append(mido.MetaMessage("set_tempo", tempo=500000, time=0))
    now = 0.0
    last_tick = 0
    for message in mido.MidiFile(source):
        now += message.time
        if message.is_meta:
            continue
        tick = round(now * 10000)
        track.append(message.copy(time=tick - last_tick))
        last_tick = tick
    out.save(target)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
