#!/usr/bin/env python3
"""What `velmarin-cli play --method bend` sent, as a receiver got it with
each message's time, played by a real synthesizer that is given no tuning
message: each note must sound within 1 cent (1.5 on FluidSynth, which drops
a voice's fraction of a cent) of its key moved by CENTS, its tuning's
offset. Each note is measured against the same stream with its bends taken
out, rendered by the same synthesizer, which takes out how far its samples
are from equal temperament.

usage: check_played_bends.py RECEIVED timidity|fluidsynth KEY=CENTS...
  RECEIVED: "MS HEX..." a message a line; the notes 1.2 s apart at least
Exit 77 (skipped) when the synthesizer or its sounds are missing.
"""
import os
import shutil
import sys
import tempfile

SKIP = 77

if len(sys.argv) < 4 or sys.argv[2] not in ("timidity", "fluidsynth"):
    sys.exit(__doc__)
SYNTH = sys.argv[2]
try:
    import mido
    import numpy as np
    from pitch import TOLERANCE_CENTS, fundamental, load_mono, report_notes
    from players import FREEPATS, SOUNDFONT, render_fluidsynth, render_timidity
except ImportError as error:
    sys.exit(f"check_played_bends.py: {error} (Debian: apt-get install python3-mido python3-numpy)")
if not shutil.which(SYNTH) or not os.path.exists(FREEPATS if SYNTH == "timidity" else SOUNDFONT):
    print(f"{SYNTH} or its sounds are not installed; skipped")
    sys.exit(SKIP)

TICKS_A_SECOND = 960  # 480 a beat at 120 beats a minute


def received(path):
    """(seconds, message) of each line."""
    timed = []
    with open(path) as file:
        for line in file:
            ms, *data = line.split()
            timed.append((float(ms) / 1000, mido.Message.from_bytes([int(byte, 16) for byte in data])))
    return timed


def song_of(timed, path):
    track, now = mido.MidiTrack(), 0
    for seconds, message in timed:
        tick = round(seconds * TICKS_A_SECOND)
        track.append(message.copy(time=tick - now))
        now = tick
    song = mido.MidiFile(type=0, ticks_per_beat=480)
    song.tracks.append(track)
    song.save(path)


def pitches(timed, notes, work, name):
    """Each note's fundamental 0.3 to 0.9 s after its note-on, timed from the
    first sound."""
    played, rendered = os.path.join(work, name + ".mid"), os.path.join(work, name + ".wav")
    song_of(timed, played)
    (render_timidity if SYNTH == "timidity" else render_fluidsynth)(played, rendered, work)
    samples, rate = load_mono(rendered)
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{SYNTH} rendered silence")
    first = loud[0] / rate - notes[0][0]
    result = []
    for seconds, key in notes:
        segment = samples[int((first + seconds + 0.3) * rate):int((first + seconds + 0.9) * rate)]
        result.append(fundamental(segment, rate, 440.0 * 2 ** ((key - 69) / 12)))
    return result


def main():
    timed = received(sys.argv[1])
    cents = {int(key): float(offset) for key, offset in (pair.split("=") for pair in sys.argv[3:])}
    notes = [(s, m.note) for s, m in timed if m.type == "note_on" and m.velocity and m.channel != 9]
    if sorted(key for _, key in notes) != sorted(cents):
        sys.exit(f"notes received: {[key for _, key in notes]}, expected {sorted(cents)}")
    unbent = [(s, m) for s, m in timed if m.type != "pitchwheel"]
    with tempfile.TemporaryDirectory(prefix="velmarin-played.") as work:
        reference = pitches(unbent, notes, work, "unbent")
        got = pitches(timed, notes, work, "played")
    rows = [(key, cents[key], hz * 2 ** (cents[key] / 1200), measured)
            for (_, key), hz, measured in zip(notes, reference, got)]
    report_notes(rows, "the tuning", TOLERANCE_CENTS if SYNTH == "timidity" else 1.5)


main()
