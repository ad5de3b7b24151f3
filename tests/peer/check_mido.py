#!/usr/bin/env python3
"""Reads the .mid and .syx files that Velmarin saved during ui_tests with
another MIDI library (mido) and checks them against the tunings the tests set
up: all offsets 0, GS part 1, XG parts 1 and 2, GS parts 1 and 2 with 480
ticks per quarter note and 10 ticks between events.

usage: check_mido.py <folder with the saved files>
Exits non-zero when a file is missing, unreadable or holds other events.
"""
import os
import sys

try:
    import mido
except ImportError:
    sys.exit("check_mido.py: the mido module is missing (Debian: apt-get install python3-mido)")


def gs(part):
    """GS scale tuning of one part (1 to 9 here), every pitch class at 40."""
    body = [0x40, 0x10 + part, 0x40] + [0x40] * 12
    checksum = (128 - sum(body) % 128) % 128
    return (0x41, 0x10, 0x42, 0x12, *body, checksum)


def xg(part):
    """XG scale tuning of one part: one message per pitch class C to B."""
    return [(0x43, 0x10, 0x4C, 0x08, part - 1, 0x41 + k, 0x40) for k in range(12)]


# File name: (ticks per quarter note, ticks between events, SysEx data without F0 and F7).
MIDI_FILES = {
    "gs-part1.mid": (120, 0, [gs(1)]),
    "xg-parts1-2.mid": (120, 0, xg(1) + xg(2)),
    "gs-parts1-2-480-10.mid": (480, 10, [gs(1), gs(2)]),
}
SYX_FILES = {
    "gs-part1.syx": [gs(1)],
    "xg-parts1-2.syx": xg(1) + xg(2),
}


def hexed(data):
    return " ".join(f"{byte:02X}" for byte in data)


def difference(read, wanted):
    """The first place where two lists of messages differ."""
    for n, (got, want) in enumerate(zip(read, wanted)):
        if got != want:
            return f"message {n + 1} is {got}, not {want}"
    return f"{len(read)} messages, not {len(wanted)}"


def check_midi_file(path, division, delta, expected):
    problems = []
    midi = mido.MidiFile(path)
    if midi.type != 0:
        problems.append(f"type {midi.type}, not 0")
    if len(midi.tracks) != 1:
        problems.append(f"{len(midi.tracks)} tracks, not 1")
    if midi.ticks_per_beat != division:
        problems.append(f"ticks per beat {midi.ticks_per_beat}, not {division}")
    if problems:
        return problems
    events, tick = [], 0
    for message in midi.tracks[0]:
        tick += message.time
        events.append((tick, message))
    if not events:
        return ["the track is empty"]
    sysex = [f"{hexed(m.data)} at tick {tick}" for tick, m in events if m.type == "sysex"]
    wanted = [f"{hexed(data)} at tick {n * delta}" for n, data in enumerate(expected)]
    if sysex != wanted:
        problems.append("SysEx events: " + difference(sysex, wanted))
    last_tick, last = events[-1]
    if last.type != "end_of_track" or last_tick != (len(expected) - 1) * delta:
        problems.append(f"last event {last} at tick {last_tick}, not end_of_track at {(len(expected) - 1) * delta}")
    others = [m for _, m in events[:-1] if m.type != "sysex"]
    if others:
        problems.append(f"other events {others}")
    return problems


def check_syx_file(path, expected):
    read = [hexed(m.data) for m in mido.read_syx_file(path)]
    wanted = [hexed(data) for data in expected]
    return [] if read == wanted else [difference(read, wanted)]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    folder = sys.argv[1]
    failed = False
    checks = [(name, lambda p, e=e: check_midi_file(p, *e)) for name, e in MIDI_FILES.items()]
    checks += [(name, lambda p, e=e: check_syx_file(p, e)) for name, e in SYX_FILES.items()]
    for name, check in checks:
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            problems = ["missing: ui_tests did not leave it"]
        else:
            try:
                problems = check(path)
            except Exception as error:  # mido rejects the file
                problems = [f"mido cannot read it: {error!r}"]
        if problems:
            failed = True
            print(f"FAIL {name}: " + "; ".join(problems))
        elif name.endswith(".mid"):
            division, delta, expected = MIDI_FILES[name]
            print(f"ok   {name}: format 0, one track, {division} ticks per beat, "
                  f"{len(expected)} SysEx events every {delta} ticks, then end of track")
        else:
            print(f"ok   {name}: {len(SYX_FILES[name])} SysEx messages")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
