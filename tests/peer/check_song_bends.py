#!/usr/bin/env python3
"""Songs made here, tuned with `velmarin-cli apply --pitch-bend` to
Werckmeister III and played on a real synthesizer that is given no tuning
message at all: every note's measured pitch must lie within 1 cent of its
tuned pitch.

  harpsichord  one channel, augmented triads over all twelve pitch classes:
               each chord needs three bends, so three channels
  ensemble     three channels taking turns, hi-hats on channel 10 between
               their notes
  own bend     the song sets its range to 4 semitones and bends a note by
               +200 cents: it must sound at +200 plus its offset
  keyboard     C4..B4 tuned by 19-EDO from C4 (a keyboard tuning): each key
               sounds d * 1200 / 19 cents above C4, played on the key nearest
               that pitch and bent by the rest. FluidSynth sounds a voice at
               whole cents (it drops the fraction of the pitch), so these
               bends, all with fractions, are held to 1.5 cents there

Each note is measured against the same note of the song as it was (for the
keyboard, against the key it is played on), rendered by the same
synthesizer, which takes out how far its samples are from equal
temperament. mido then reads every written song: every note of the song at
its time (on whatever channel), channel 10 as it was, and no SysEx.

usage: check_song_bends.py VELMARIN_CLI timidity|fluidsynth
Exit 77 (skipped) when the synthesizer or its sounds are missing.
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
FREEPATS = "/etc/timidity/freepats.cfg"
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
BEAT = 480  # ticks per quarter note, 120 bpm: 960 ticks a second
STEP = 1200  # 1.25 s a step: 1 s sounding, 0.25 s silence
LEAD = 480   # the first note 0.5 s after the reset, past the range's reset gap
HARPSICHORD, OCARINA, FLUTE, ORGAN, HIHAT = 6, 79, 73, 19, 42

if len(sys.argv) != 3 or sys.argv[2] not in ("timidity", "fluidsynth"):
    sys.exit(__doc__)
SYNTH = sys.argv[2]
if not shutil.which(SYNTH) or not os.path.exists(FREEPATS if SYNTH == "timidity" else SOUNDFONT):
    print(f"{SYNTH} or its sounds are not installed; skipped")
    sys.exit(SKIP)

try:
    import mido
    import numpy as np
    from pitch import TOLERANCE_CENTS, fundamental, load_mono, run_cli
except ImportError as error:
    sys.exit(f"check_song_bends.py: {error} (Debian: apt-get install python3-mido python3-numpy)")


def song_of(events, path):
    """`events`: (tick, message) in any order; one track after GM System On."""
    track = mido.MidiTrack([mido.Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01])])
    now = 0
    for tick, message in sorted(events, key=lambda e: e[0]):
        track.append(message.copy(time=tick - now))
        now = tick
    song = mido.MidiFile(type=0, ticks_per_beat=BEAT)
    song.tracks.append(track)
    song.save(path)


def notes_of(steps, channel_of, program_of, extra=()):
    """Each step's notes sound 1 s from LEAD + k STEP. Returns the events and
    the notes to measure: (step, note, cents the song bends it)."""
    events = [(0, mido.Message("program_change", channel=c, program=p)) for c, p in program_of.items()]
    events += list(extra)
    measured = []
    for k, (notes, bend) in enumerate(steps):
        start = LEAD + k * STEP
        for note in notes:
            events.append((start, mido.Message("note_on", channel=channel_of(k), note=note, velocity=100)))
            events.append((start + 960, mido.Message("note_off", channel=channel_of(k), note=note, velocity=0)))
            measured.append((k, note, bend))
    return events, measured


def harpsichord():
    steps = [([60 + k, 64 + k, 68 + k], 0) for k in range(4)]
    return notes_of(steps, lambda k: 0, {0: HARPSICHORD})


def ensemble():
    steps = [([60 + k], 0) for k in range(12)]
    hats = []
    for k in range(12):
        hat = LEAD + k * STEP + 1000
        hats += [(hat, mido.Message("note_on", channel=9, note=HIHAT, velocity=80)),
                 (hat + 60, mido.Message("note_off", channel=9, note=HIHAT, velocity=0))]
    return notes_of(steps, lambda k: k % 3, {0: OCARINA, 1: FLUTE, 2: ORGAN}, hats)


def own_bend():
    # Registered parameter 0 set to 4 semitones, then +4096 of 8192: +200 cents.
    rpn = [(0, mido.Message("control_change", channel=0, control=c, value=v))
           for c, v in ((101, 0), (100, 0), (6, 4), (38, 0), (101, 127), (100, 127))]
    bend = [(LEAD + STEP - 10, mido.Message("pitchwheel", channel=0, pitch=4096))]
    steps = [([60 + k], 200 if k == 1 else 0) for k in range(3)]
    for k in (2,):
        bend.append((LEAD + k * STEP - 10, mido.Message("pitchwheel", channel=0, pitch=0)))
    return notes_of(steps, lambda k: 0, {0: OCARINA}, [(1, m) for _, m in rpn] + bend)


def nineteen_edo():
    """The piece's notes and, for each key, the key it must be played on
    and the cents it is bent there."""
    events, measured = notes_of([([60 + d], 0) for d in range(12)], lambda k: 0, {0: OCARINA})
    played = {}
    for d in range(12):
        pitch = 6000 + d * 1200 / 19
        key = math.floor(pitch / 100 + 0.5)
        played[60 + d] = (key, pitch - key * 100)
    return events, measured, played


def on_keys(events, played):
    """The same events with each note on the key it is played on."""
    return [(t, m.copy(note=played[m.note][0]) if m.type in ("note_on", "note_off") else m) for t, m in events]


def render(song, work):
    wav = song + ".wav"
    if SYNTH == "timidity":
        config = os.path.join(work, "timidity.cfg")
        with open(config, "w") as file:
            file.write(f"source {FREEPATS}\n")
        command = ["timidity", "-c", config, "-Ow", "--output-mono", "-s", "44100", "-EFreverb=0",
                   "-EFchorus=0", "-o", wav, song]
    else:
        command = ["fluidsynth", "-n", "-i", "-q", "-R", "0", "-C", "0", "-r", "44100", "-F", wav, SOUNDFONT, song]
    subprocess.run(command, check=True, capture_output=True)
    return load_mono(wav)


def frequencies(samples, rate, measured, cents):
    """Each measured note's fundamental, the steps timed from the first sound;
    `cents[i]`: how far the i-th sounds from its key."""
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{SYNTH} rendered silence")
    first = loud[0] / rate
    result = []
    for (step, note, bend), away in zip(measured, cents):
        start = first + step * STEP / 960
        segment = samples[int((start + 0.3) * rate):int((start + 0.9) * rate)]
        expected = 440.0 * 2 ** ((note - 69) / 12) * 2 ** ((bend + away) / 1200)
        result.append(fundamental(segment, rate, expected))
    return result


def timeline(path, drums):
    """(tick, kind, note, velocity) of every note, and channel 10's messages."""
    notes, ten, sysex, now = [], [], 0, 0
    for message in mido.MidiFile(path).tracks[0]:
        now += message.time
        if message.type == "sysex" and message.data[:2] != (0x7E, 0x7F):
            sysex += 1
        if message.type in ("note_on", "note_off") and message.channel != 9:
            on = message.type == "note_on" and message.velocity != 0
            notes.append((now, on, message.note, message.velocity))
        elif not message.is_meta and message.type != "sysex" and message.channel == 9:
            ten.append((now, message.bytes()))
    return sorted(notes), ten, sysex


def main():
    cli = os.path.abspath(sys.argv[1])
    offsets = [int(o) for o in run_cli(cli, "offsets", "--temperament", "werckmeister3").split()]
    scale = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "scl", "19edo.scl")
    werckmeister = ("--temperament", "werckmeister3")
    failures = 0
    with tempfile.TemporaryDirectory(prefix="velmarin-bends.") as work:
        for name, piece in (("harpsichord", harpsichord), ("ensemble", ensemble), ("own bend", own_bend),
                            ("keyboard", nineteen_edo)):
            events, measured, *keys = piece()
            source = ("--scl", scale) if keys else werckmeister
            song = os.path.join(work, name.replace(" ", "_") + ".mid")
            song_of(events, song)
            # What the written song must sound like untuned: the keys it plays.
            untuned = song
            if keys:
                untuned = song[:-4] + "-keys.mid"
                song_of(on_keys(events, keys[0]), untuned)
                measured_on = [(step, keys[0][note][0], bend) for step, note, bend in measured]
                cents_of = {note: rest for note, (key, rest) in keys[0].items()}
            else:
                measured_on = measured
                cents_of = {note: offsets[note % 12] for _, note, _ in measured}
            tuned = song[:-4] + "-tuned.mid"
            print(f"{name}: " + run_cli(cli, "apply", song, *source, "--pitch-bend", "-o", tuned).strip())
            reference = frequencies(*render(untuned, work), measured_on, [0] * len(measured))
            got = frequencies(*render(tuned, work), measured_on, [cents_of[note] for _, note, _ in measured])

            tolerance = 1.5 if keys and SYNTH == "fluidsynth" else TOLERANCE_CENTS
            print("step  note  played  tuning  song bend  untuned Hz  tuned (cents from untuned)")
            for (step, note, bend), (_, on, _), r, g in zip(measured, measured_on, reference, got):
                deviation = 1200 * math.log2(g / r)
                mark = "" if abs(deviation - cents_of[note]) <= tolerance else "  FAIL"
                if bend and abs(1200 * math.log2(r / (440 * 2 ** ((note - 69) / 12))) - bend) > 5:  # the samples stray by a few cents
                    mark += "  (the song's own bend not heard)"
                failures += bool(mark)
                print(f"{step:4d}  {note:4d}  {on:6d}  {cents_of[note]:+6.2f}  {bend:9d}  {r:10.3f}  {deviation:+8.3f}{mark}")

            before, after = timeline(untuned, True), timeline(tuned, True)
            if before[0] != after[0]:
                failures += 1
                print(f"{name}: the written song's notes differ from the song's in time, key or velocity")
            if before[1] != after[1]:
                failures += 1
                print(f"{name}: channel 10 changed")
            if after[2] != 0:
                failures += 1
                print(f"{name}: the written song holds a tuning message")
    if failures:
        sys.exit(f"{failures} failure(s): notes more than {TOLERANCE_CENTS} cent from their tuned pitch, or songs changed")
    within = "1 cent (the keyboard's 1.5)" if SYNTH == "fluidsynth" else "1 cent"
    print(f"every note within {within} of its tuned pitch on {SYNTH} without a tuning message; "
          "every note at its time, channel 10 unchanged")


main()
