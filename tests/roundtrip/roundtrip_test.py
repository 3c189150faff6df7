"""Round trip of generated MIDI files: SMF -> mid2kvt -> zemc -> zem2mid.

Each song is written with mido, converted to KVT text, compiled and exported
again, and both files are read back with mido.  The events must agree: note
starts and ends with their ticks, keys, velocities and channels; controllers,
programs, pitch bends and SysEx bytes at their ticks; tempos within the
rounding of the player's tempo unit.  Differences made on purpose are
normalised first and listed in EXPECTED_DIFFERENCES.

Usage: roundtrip_test.py BIN_DIR
"""
import os
import random
import subprocess
import sys
import tempfile

import mido

EXPECTED_DIFFERENCES = [
    "note-offs come back as note-ons of velocity 0 (no -O switch), so their release velocity is dropped",
    "meta events of every track are moved to the first track",
    "the exporter adds one text event naming the player",
    "events at the same tick may come back in another order",
    "a tempo within one unit of 500000 at tick 0 equals no tempo event there",
]

# The player keeps a tempo as a whole number of 1/256 ms per tick; one such
# unit is division * 4 * 250 / 256 microseconds per quarter note.
def tempo_unit(division):
    return division * 4 * 250 / 256


# A file without a tempo at its start plays at 500000 us per quarter note;
# the player announces no change to its own default, so both forms are equal.
DEFAULT_TEMPO = 500000


def note_song(seed, division, tracks, with_sysex):
    rng = random.Random(seed)
    song = mido.MidiFile(type=1, ticks_per_beat=division)
    conductor = mido.MidiTrack()
    conductor.append(mido.MetaMessage("track_name", name="conductor", time=0))
    conductor.append(mido.MetaMessage("set_tempo", tempo=500000, time=0))
    conductor.append(mido.MetaMessage("set_tempo", tempo=428571, time=division * 4))
    conductor.append(mido.MetaMessage("set_tempo", tempo=600000, time=division * 8))
    song.tracks.append(conductor)
    for t in range(tracks):
        channel = (t * 3 + 1) % 16
        track = mido.MidiTrack()
        events = []  # (tick, order, message)
        events.append((0, 0, mido.Message("program_change", channel=channel, program=rng.randrange(128))))
        events.append((0, 1, mido.Message("control_change", channel=channel, control=7, value=rng.randrange(128))))
        tick = 0
        sounding_until = {}  # key -> tick of its note-off; one note per key at a time
        for _ in range(40):
            key = rng.randrange(36, 90)
            while sounding_until.get(key, -1) >= tick:
                key = rng.randrange(36, 90)
            length = rng.choice([division // 4, division // 2, division, division * 3 // 2])
            velocity = rng.randrange(1, 128)
            events.append((tick, 3, mido.Message("note_on", channel=channel, note=key, velocity=velocity)))
            events.append((tick + length, 2, mido.Message("note_off", channel=channel, note=key, velocity=64)))
            sounding_until[key] = tick + length
            other = key + rng.choice([3, 4, 7])
            if rng.random() < 0.3 and sounding_until.get(other, -1) < tick:  # an overlapping note
                sounding_until[other] = tick + length + division // 4
                events.append((tick + division // 8, 3,
                               mido.Message("note_on", channel=channel, note=other, velocity=velocity)))
                events.append((tick + length + division // 4, 2,
                               mido.Message("note_off", channel=channel, note=other, velocity=0)))
            if rng.random() < 0.3:
                events.append((tick, 1, mido.Message("control_change", channel=channel,
                                                     control=rng.choice([1, 10, 11, 64, 91]),
                                                     value=rng.randrange(128))))
            if rng.random() < 0.2:
                events.append((tick, 1, mido.Message("pitchwheel", channel=channel,
                                                     pitch=rng.randrange(-8192, 8192))))
            tick += length + rng.choice([0, division // 4])
        if with_sysex and t == 0:
            events.append((division, 1, mido.Message("sysex", data=[0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F,
                                                                     0x00, 0x41])))
        events.sort(key=lambda e: (e[0], e[1]))
        last = 0
        for at, _, message in events:
            track.append(message.copy(time=at - last))
            last = at
        song.tracks.append(track)
    return song


def comparable(path):
    """The song's events as a sorted list of tuples, plus its tempo changes."""
    song = mido.MidiFile(path)
    events, tempos = [], []
    for track in song.tracks:
        tick = 0
        for message in track:
            tick += message.time
            if message.type == "note_on" and message.velocity > 0:
                events.append((tick, "on", message.channel, message.note, message.velocity))
            elif message.type in ("note_on", "note_off"):
                events.append((tick, "off", message.channel, message.note))
            elif message.type == "control_change":
                events.append((tick, "cc", message.channel, message.control, message.value))
            elif message.type == "program_change":
                events.append((tick, "program", message.channel, message.program))
            elif message.type == "pitchwheel":
                events.append((tick, "bend", message.channel, message.pitch))
            elif message.type == "sysex":
                events.append((tick, "sysex", tuple(message.data)))
            elif message.type == "set_tempo":
                tempos.append((tick, message.tempo))
    tempos.sort()
    if tempos and tempos[0][0] == 0 and abs(tempos[0][1] - DEFAULT_TEMPO) <= tempo_unit(song.ticks_per_beat):
        tempos.pop(0)
    return song.ticks_per_beat, sorted(events), tempos


def run(args, cwd):
    result = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(args)} failed: {result.stderr}")


def round_trip(bin_dir, name, song):
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, name + ".mid")
        song.save(source)
        before = comparable(source)
        run([os.path.join(bin_dir, "mid2kvt"), source], work)
        run([os.path.join(bin_dir, "zemc"), os.path.join(work, name + ".KVT")], work)
        run([os.path.join(bin_dir, "zem2mid"), os.path.join(work, name + ".ZEM")], work)
        # The export takes the letter case of the existing source, which
        # moved to its backup name first.
        after = comparable(source)
    failures = []
    if before[0] != after[0]:
        failures.append(f"division {before[0]} became {after[0]}")
    if before[1] != after[1]:
        missing = [e for e in before[1] if e not in after[1]][:5]
        extra = [e for e in after[1] if e not in before[1]][:5]
        failures.append(f"events differ: missing {missing}, extra {extra}")
    if [t for t, _ in before[2]] != [t for t, _ in after[2]]:
        failures.append(f"tempo ticks differ: {before[2]} vs {after[2]}")
    for (_, want), (_, got) in zip(before[2], after[2]):
        if abs(got - want) > tempo_unit(before[0]):
            failures.append(f"tempo {want} came back as {got}")
    return failures


def main():
    bin_dir = sys.argv[1]
    cases = [
        ("single", note_song(seed=1, division=96, tracks=1, with_sysex=False)),
        ("quartet", note_song(seed=2, division=480, tracks=4, with_sysex=True)),
        ("dense", note_song(seed=3, division=120, tracks=8, with_sysex=True)),
    ]
    failed = 0
    for name, song in cases:
        failures = round_trip(bin_dir, name, song)
        status = "ok" if not failures else "FAILED"
        print(f"{name}: {status}")
        for failure in failures:
            print(f"  {failure}")
        failed += bool(failures)
    print("expected differences, normalised before comparing:")
    for difference in EXPECTED_DIFFERENCES:
        print(f"  - {difference}")
    print(f"{len(cases) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
