#!/usr/bin/env python3
"""A keyboard tuning on a real synthesizer: velmarin-cli writes 19-EDO, laid
linearly from C4 (key 60) with no keyboard map, into a .mid in a key-based
form; the player renders keys 60 to 98 after it on channel 1, and each key's
fundamental must lie within the tolerance of its exact pitch, degree
k = key - 60 at 261.6256 Hz * 2^(k / 19) (typed from the scale's
construction, not taken from the program).

A second rendering with every offset 0 in the same form gives the key
nearest each pitch untuned: it leaves out how far the instrument's samples
stray from equal temperament. The .scl is written here from the
construction too.

usage: check_keyboard_tuning.py VELMARIN_CLI timidity|fluidsynth FORMAT TOLERANCE
Exit 77 (skipped) when the player or its instruments are missing.
"""
import math
import os
import shutil
import sys
import tempfile

from players import FREEPATS, SOUNDFONT, render_fluidsynth, render_timidity

SKIP = 77
NOTE_SECONDS = 1.0  # 0.75 s sounding, 0.25 s silence
KEYS = range(60, 99)  # C4 and two octaves of 19 degrees up
# freepats' oboe keeps within 0.1 cent of any pitch it is moved to; FluidR3's
# clarinet strays least from one key's sample to the next.
OBOE = 68
CLARINET = 71


# A retuned key sounds through the sample of the pitch it is moved to, so the
# untuned reference is the key nearest that pitch.
PLAYERS = {"timidity": (render_timidity, FREEPATS, OBOE), "fluidsynth": (render_fluidsynth, SOUNDFONT, CLARINET)}

if len(sys.argv) != 5 or sys.argv[2] not in PLAYERS:
    sys.exit(__doc__)
CLI, PLAYER, FORM, TOLERANCE = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3], float(sys.argv[4])
RENDER, SOUNDS, INSTRUMENT = PLAYERS[PLAYER]
if not shutil.which(PLAYER) or not os.path.exists(SOUNDS):
    print(f"{PLAYER} or {SOUNDS} is not installed; skipped")
    sys.exit(SKIP)

try:
    import mido
    import numpy as np
    from pitch import fundamental, rendered_segments, report_notes, run_cli
except ImportError as error:
    sys.exit(f"check_keyboard_tuning.py: {error} (Debian: apt-get install python3-mido python3-numpy)")


def add_keys(tuning_file, played_file):
    tuning = mido.MidiFile(tuning_file)
    setup = [m.copy(time=0) for track in tuning.tracks for m in track if m.type in ("sysex", "control_change")]
    beat = tuning.ticks_per_beat
    track = mido.MidiTrack(setup)
    track.append(mido.Message("program_change", channel=0, program=INSTRUMENT, time=beat))
    for key in KEYS:
        track.append(mido.Message("note_on", channel=0, note=key, velocity=100, time=beat // 2))
        track.append(mido.Message("note_off", channel=0, note=key, velocity=0, time=3 * beat // 2))
    played = mido.MidiFile(type=0, ticks_per_beat=beat)
    played.tracks.append(track)
    played.save(played_file)


def key_segments(samples, rate):
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{PLAYER} rendered silence")
    first = loud[0] / rate
    return [samples[int((first + k * NOTE_SECONDS + 0.2) * rate):int((first + k * NOTE_SECONDS + 0.7) * rate)]
            for k in range(len(KEYS))]


def main():
    with tempfile.TemporaryDirectory(prefix="velmarin-keys.") as work:
        scale = os.path.join(work, "19edo.scl")
        with open(scale, "w") as file:
            file.write("19 equal\n19\n" + "".join(f"{1200 * k / 19:.6f}\n" for k in range(1, 19)) + "2/1\n")
        tuning = os.path.join(work, "tuning.mid")
        run_cli(CLI, "build", "--scl", scale, "--format", FORM, "--parts", "1", "-o", tuning)
        reference = os.path.join(work, "reference.mid")
        run_cli(CLI, "build", "--offsets", "0,0,0,0,0,0,0,0,0,0,0,0", "--format", FORM, "--parts", "1",
                "-o", reference)
        segments, rate = rendered_segments(work, (("tuned", tuning), ("reference", reference)), add_keys, RENDER,
                                           key_segments)

    print(f"19-EDO from C4 in {FORM} on {PLAYER}")
    rows = []
    for i, key in enumerate(KEYS):
        exact = 261.6255653 * 2 ** ((key - 60) / 19)
        offset = 1200 * math.log2(exact / (440.0 * 2 ** ((key - 69) / 12)))
        near = 69 + round(12 * math.log2(exact / 440.0))
        equal = 440.0 * 2 ** ((near - 69) / 12)
        untuned = fundamental(segments["reference"][KEYS.index(near)], rate, equal)
        expected = untuned * exact / equal
        rows.append((key, offset, expected, fundamental(segments["tuned"][i], rate, expected)))
    report_notes(rows, "the exact pitch", TOLERANCE)


main()
