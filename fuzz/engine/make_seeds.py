#!/usr/bin/env python3
"""Writes the hand-made seed images of the engine_image fuzz target."""
import os
import struct
import sys

END, STOP, LOOP_END, LOOP_BREAK, META, ALL_OFF, MOD_SWITCH = 0xFFFF, 0xFFFE, 0xFFFC, 0xFFFD, 0xFFF8, 0xFFFA, 0xFFFB


def words(*ws):
    return list(ws)


def payload(data, nul):
    b = bytes(data) + (b"\0" if nul else b"")
    if len(b) % 2:
        b += b"\0"
    return [struct.unpack_from("<H", b, i)[0] for i in range(0, len(b), 2)]


def note(key, length, wait=True):
    return [0xC000 | key | 0x80 | (0x100 if wait else 0), length]


def meta(kind, data):
    return [META, (kind << 8) | len(data)] + payload(data, True)


def param(reg, value):
    return [0xF000 | reg, value & 0xFFFF]


def image(tracks, timebase=192, title_at=None, notice_at=None):
    """title_at / notice_at: (track 0 word index of a META)."""
    table_end = 32 + 8 * len(tracks)
    first = table_end + 8
    offsets, pos = [], first
    for t in tracks:
        offsets.append(pos)
        pos += 2 * len(t)
    title = offsets[0] + 2 * title_at + 4 if title_at is not None else 0
    notice = offsets[0] + 2 * notice_at + 4 if notice_at is not None else 0
    out = bytearray(b"QORSZEM:0.47\0\0\0\0")
    out += struct.pack("<HHIII", len(tracks), timebase, title, notice, 8)
    for off, t in zip(offsets, tracks):
        out += struct.pack("<II", off, 2 * len(t))
    out += struct.pack("<II", 0, 0)
    for t in tracks:
        out += struct.pack("<%dH" % len(t), *t)
    return bytes(out)


SEEDS = {
    "notes": image([note(60, 48) + note(64, 24) + [0xCB40, 0xCAF0] + note(67, 12) + [END]]),
    "texts": image([meta(3, b"Title") + meta(2, b"Notice") + [0xE003] + payload(b"abc", True) + note(60, 4) + [END]],
                   title_at=0, notice_at=5),
    "loops": image([[0xCC03] + note(60, 8) + [LOOP_BREAK] + note(62, 8) + [LOOP_END, 0xCC00, 0x0010, LOOP_END, END]]),
    "tempo": image([[0xCD00, 1000, 0xCE00, 3000, 96, 0xCF00, 500, 0, 2000, 48] + meta(0x51, b"\x07\xa1\x20") +
                    meta(0x58, b"\x03\x02\x18\x08") + [0x0030, END]]),
    "controllers": image([[0x4000 | (7 << 7) | 100, 0xC504 | 0x08, 0x0740, 0x0010, 48, 0x8000 | 8192,
                           0xC548, 2000, 24, 0xFFE9, 100, 0xFFF4, 0xC37F, 0xC305] + note(60, 48) + [END]]),
    "modulators": image([[0x2000 | (18 << 8) | 1, 20, 0x2000 | (19 << 8) | 1, 20, 0x2000 | (21 << 8) | 1, 50,
                          0x2000 | (22 << 8) | 1, 50, MOD_SWITCH, 0x2501, 0x2000 | (28 << 8) | 255, 300,
                          0x2000 | (29 << 8) | 255, 30, MOD_SWITCH, 0x27FF] + meta(0x88, bytes([0, 64, 127, 64, 0, 192, 129, 192])) +
                         [0x2000 | (17 << 8) | 1, 0x0800] + note(60, 96) + [MOD_SWITCH, 0x07FF, END]]),
    "sysex": image([[0xC705] + payload(b"\xf0\x41\x10\x42\xf7", False) + [0xD000 | (3 << 6) | 20] +
                    payload(b"\x01\x02\x03", False) + [0xD000 | (33 << 6) | 30] + payload(bytes(range(33)), False) + [END]]),
    "skip": image([param(252, 2) + param(253, 0xFFFE) + param(255, 2) + [0x4000 | (7 << 7) | 10, 0xC305] + note(60, 8) +
                   param(255, 0) + note(62, 8) + [END]]),
    "tracks": image([[0x0008, 0xC601, 0x0010, 0xF201, 0x0002, END],
                     [STOP] + note(61, 4) + [END],
                     [STOP] + note(62, 4) + meta(0x89, b"\x01") + note(63, 4) + [END]]),
    "skip_slow_tempo": image([[0xCDFF, 0x06EC] + param(255, 2) + [0x018A, END]]),
    "gate": image([[0xFFEE, 512, 0xFFDA, (-8) & 0xFFFF, 0xFFDC] + param(6, 1) + note(60, 8) + param(6, 0) +
                   [ALL_OFF, 0xFFEC, 0xCB10, 0xFFED, END]]),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "corpus", "engine_image")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name + ".zem"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
