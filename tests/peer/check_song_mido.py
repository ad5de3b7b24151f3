#!/usr/bin/env python3
"""Every song of tests/fixtures/song tuned with `velmarin-cli apply`, then
read by another MIDI library (mido) next to the song as it was: the same
format, division and tracks; every event of the song still there, in its
order and at its tick, or moved later by exactly the ticks the summary line
names, the same for every track, and from some event on to its track's end;
every event that is not the song's own a message of the tuning; every event
gone a scale-tuning message of the song's set-up, as many as the summary says.

usage: check_song_mido.py VELMARIN_CLI FIXTURES
"""
import io
import os
import re
import struct
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    sys.exit("check_song_mido.py: the mido module is missing (Debian: apt-get install python3-mido)")

# Each song is tuned twice: GS parts 1 and 2, and GM2 on every channel.
TUNINGS = [["--format", "gs", "--parts", "1-2"], ["--format", "gm2", "--parts", "all"]]
SOURCE = ["--temperament", "werckmeister3"]


def midi_bytes(path):
    """The MIDI file itself: a RIFF RMID file's "data" chunk."""
    data = open(path, "rb").read()
    if data[:4] != b"RIFF":
        return data
    at = 12
    while at + 8 <= len(data):
        size = struct.unpack("<I", data[at + 4:at + 8])[0]
        if data[at:at + 4] == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    sys.exit(f"{path}: no data chunk")


def timed_tracks(path):
    song = mido.MidiFile(file=io.BytesIO(midi_bytes(path)))
    tracks = []
    for track in song.tracks:
        tick, events = 0, []
        for message in track:
            tick += message.time
            events.append((tick, message.copy(time=0)))
        tracks.append(events)
    return song, tracks


def is_scale_tuning(message):
    """GS scale tuning, XG scale tuning, MIDI Tuning Standard scale/octave,
    single note and bulk dump, as this check knows them."""
    if message.type != "sysex":
        return False
    d = message.data
    gs = len(d) >= 8 and d[0] == 0x41 and d[2:5] == (0x42, 0x12, 0x40) and d[5] & 0xF0 == 0x10 and 0x40 <= d[6] <= 0x4B
    xg = len(d) == 7 and d[0] == 0x43 and d[1] & 0xF0 == 0x10 and d[2:4] == (0x4C, 0x08) and 0x41 <= d[5] <= 0x4C
    mts = len(d) >= 4 and d[0] in (0x7E, 0x7F) and d[2] == 0x08 and d[3] in (1, 2, 4, 5, 6, 7, 8, 9)
    return gs or xg or mts


def check(original_path, tuned_path, summary, tuning):
    problems = []
    original, before = timed_tracks(original_path)
    tuned, after = timed_tracks(tuned_path)
    if (original.type, original.ticks_per_beat, len(before)) != (tuned.type, tuned.ticks_per_beat, len(after)):
        return ["the format, division or number of tracks changed"]
    shift = int(re.search(r"\((\d+) ticks?\)", summary).group(1)) if "music moved" in summary else 0
    removed_said = int(re.search(r"(\d+) old tuning messages? removed", summary).group(1)) if "removed" in summary else 0
    removed = inserted = moved_tracks = 0
    for number, (old, new) in enumerate(zip(before, after), 1):
        kept = [(tick, m) for tick, m in old]
        at, moved = 0, False
        for tick, message in new:
            if at < len(kept) and message == kept[at][1] and tick in (kept[at][0], kept[at][0] + shift):
                now_moved = shift != 0 and tick == kept[at][0] + shift and tick != kept[at][0]
                if moved and not now_moved and message.type != "end_of_track":
                    problems.append(f"track {number}: {message} at {tick} stayed after an event that moved")
                moved = moved or now_moved
                at += 1
                continue
            while at < len(kept) and is_scale_tuning(kept[at][1]) and kept[at][1] != message:
                removed += 1
                at += 1
            if at < len(kept) and message == kept[at][1] and tick in (kept[at][0], kept[at][0] + shift):
                moved = moved or (tick != kept[at][0])
                at += 1
            elif message.type == "sysex" and message.data in tuning:
                inserted += 1
            elif message.type == "end_of_track" and at < len(kept) and kept[at][1].type == "end_of_track":
                at += 1  # End of Track after the tuning that went past it
            else:
                problems.append(f"track {number}: {message} at tick {tick} is neither the song's nor the tuning's")
        while at < len(kept) and is_scale_tuning(kept[at][1]):
            removed += 1
            at += 1
        moved_tracks += moved
        if at != len(kept):
            problems.append(f"track {number}: {kept[at][1]} at tick {kept[at][0]} is missing")
    if shift and not moved_tracks:
        problems.append(f"the summary says the music moved {shift} ticks, but nothing moved")
    if removed != removed_said:
        problems.append(f"{removed} tuning messages gone, the summary says {removed_said}")
    if inserted == 0 or inserted % len(tuning):
        problems.append(f"{inserted} tuning messages written, not whole copies of the {len(tuning)}")
    return problems


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, fixtures = os.path.abspath(sys.argv[1]), os.path.join(sys.argv[2], "song")
    songs = sorted(name for name in os.listdir(fixtures) if not name.startswith("damaged"))
    failed = False
    with tempfile.TemporaryDirectory(prefix="velmarin-song-mido.") as work:
        for options in TUNINGS:
            listing = os.path.join(work, "tuning.syx")
            subprocess.run([cli, "build", *SOURCE, *options, "-o", listing], check=True)
            tuning = [message.data for message in mido.read_syx_file(listing)]
            for name in songs:
                label = f"{name} ({' '.join(options)})"
                song, tuned = os.path.join(fixtures, name), os.path.join(work, "tuned-" + name)
                run = subprocess.run([cli, "apply", song, *SOURCE, *options, "-o", tuned, "--overwrite"],
                                     capture_output=True, text=True)
                if run.returncode != 0:
                    problems = [f"velmarin-cli exit {run.returncode}: {run.stderr.strip()}"]
                else:
                    try:
                        problems = check(song, tuned, run.stdout, tuning)
                    except Exception as error:  # mido rejects the file
                        problems = [f"mido cannot read it: {error!r}"]
                if problems:
                    failed = True
                    print(f"FAIL {label}: " + "; ".join(problems))
                else:
                    print(f"ok   {label}: {run.stdout.split(': ', 1)[1].strip()}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
