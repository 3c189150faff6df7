"""Prints every event of a MIDI file as "track tick: message", read by mido,
an independent reader, so the exporter's bytes are checked by someone else."""
import sys

import mido

midi = mido.MidiFile(sys.argv[1])
print(f"type {midi.type} ticks {midi.ticks_per_beat} tracks {len(midi.tracks)}")
for index, track in enumerate(midi.tracks):
    tick = 0
    for message in track:
        tick += message.time
        print(f"{index} {tick}: {message.copy(time=0)}")
