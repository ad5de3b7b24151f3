#!/usr/bin/env python3
"""Exact tunings on real synthesizers: velmarin-cli writes a temperament
into a .mid, the player renders C4 to B4 after it on channel 1, and each
note's fundamental must lie within the case's tolerance of the note's exact
pitch: the temperament's own cents (typed below from its construction, not
taken from the program), moved by 1200 log2(A4 / 440).

The same note comes from a second rendering, in the same format with every
offset 0 at 440 Hz: it leaves out how far the instrument's samples stray
from equal temperament.

Cases:
  meantone       quarter-comma meantone at 440 Hz
  werckmeister   Werckmeister III at A4 = 415 Hz (a coarse tuning of one
                 semitone down in the channel forms)

usage: check_exact_tuning.py VELMARIN_CLI timidity|fluidsynth FORMAT CASE TOLERANCE
Exit 77 (skipped) when the player or its instruments are missing.
"""
import math
import os
import shutil
import sys
import tempfile

from players import FREEPATS, SOUNDFONT, render_fluidsynth, render_timidity

SKIP = 77
NOTE_SECONDS = 1.25  # 1 s sounding, 0.25 s silence
# The instruments played: the ones whose rendering stays steadiest when
# retuned by a semitone or more. TiMidity++ steps through a sample in
# increments of 1/4096, which leaves freepats' ocarina up to 0.5 cent off
# any pitch; its oboe keeps within 0.1. FluidR3's clarinet strays by 1.5
# cents on B4 a semitone down, its recorder does not.
OBOE = 68
RECORDER = 74

# Quarter-comma meantone: fifths a quarter of the syntonic comma narrow,
# from Eb to G#; n fifths above C.
MEANTONE_FIFTH = 1200 * math.log2(3 / 2) - 1200 * math.log2(81 / 80) / 4
MEANTONE_FIFTHS = [0, 7, 2, -3, 4, -1, 6, 1, 8, 3, -2, 5]
MEANTONE = [(n * MEANTONE_FIFTH) % 1200 for n in MEANTONE_FIFTHS]
# Werckmeister III from its ratios and its four fifths narrowed by a quarter
# of the Pythagorean comma.
WERCKMEISTER = [0, 90.225, 192.180, 294.135, 390.225, 498.045, 588.270, 696.090, 792.180, 888.270,
                996.090, 1092.180]
CASES = {"meantone": ("meantone-1/4", MEANTONE, 440.0), "werckmeister": ("werckmeister3", WERCKMEISTER, 415.0)}


PLAYERS = {"timidity": (render_timidity, FREEPATS, OBOE), "fluidsynth": (render_fluidsynth, SOUNDFONT, RECORDER)}

if len(sys.argv) != 6 or sys.argv[2] not in PLAYERS or sys.argv[4] not in CASES:
    sys.exit(__doc__)
CLI, PLAYER, FORM, CASE, TOLERANCE = (os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4],
                                      float(sys.argv[5]))
RENDER, SOUNDS, INSTRUMENT = PLAYERS[PLAYER]
if not shutil.which(PLAYER) or not os.path.exists(SOUNDS):
    print(f"{PLAYER} or {SOUNDS} is not installed; skipped")
    sys.exit(SKIP)

try:
    import mido
    import numpy as np
    from pitch import fundamental, rendered_segments, report_notes, run_cli
except ImportError as error:
    sys.exit(f"check_exact_tuning.py: {error} (Debian: apt-get install python3-mido python3-numpy)")


def add_notes(tuning_file, played_file):
    """The tuning file's SysEx and controllers, then a program change and
    C4..B4 on channel 1, one at a time."""
    tuning = mido.MidiFile(tuning_file)
    setup = [m.copy(time=0) for track in tuning.tracks for m in track
             if m.type in ("sysex", "control_change")]
    beat = tuning.ticks_per_beat
    track = mido.MidiTrack(setup)
    track.append(mido.Message("program_change", channel=0, program=INSTRUMENT, time=beat))
    for note in range(60, 72):
        track.append(mido.Message("note_on", channel=0, note=note, velocity=100, time=beat // 2))
        track.append(mido.Message("note_off", channel=0, note=note, velocity=0, time=2 * beat))
    played = mido.MidiFile(type=0, ticks_per_beat=beat)
    played.tracks.append(track)
    played.save(played_file)


def note_segments(samples, rate):
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{PLAYER} rendered silence")
    first = loud[0] / rate
    return [samples[int((first + k * NOTE_SECONDS + 0.3) * rate):int((first + k * NOTE_SECONDS + 0.95) * rate)]
            for k in range(12)]


def main():
    temperament, cents_above_c, a4 = CASES[CASE]
    shift = 1200 * math.log2(a4 / 440)
    exact = [cents_above_c[k] - 100 * k + shift for k in range(12)]
    with tempfile.TemporaryDirectory(prefix="velmarin-exact.") as work:
        tuning = os.path.join(work, "tuning.mid")
        run_cli(CLI, "build", "--temperament", temperament, "--a4", str(a4), "--format", FORM, "--parts", "1",
                "-o", tuning)
        reference = os.path.join(work, "reference.mid")
        run_cli(CLI, "build", "--offsets", "0,0,0,0,0,0,0,0,0,0,0,0", "--format", FORM, "--parts", "1",
                "-o", reference)
        segments, rate = rendered_segments(work, (("tuned", tuning), ("reference", reference)), add_notes, RENDER,
                                           note_segments)

    print(f"{temperament} at A4 = {a4} Hz in {FORM} on {PLAYER}")
    rows = []
    for k, offset in enumerate(exact):
        note = 60 + k
        untuned = fundamental(segments["reference"][k], rate, 440.0 * 2 ** ((note - 69) / 12))
        expected = untuned * 2 ** (offset / 1200)
        rows.append((note, offset, expected, fundamental(segments["tuned"][k], rate, expected)))
    report_notes(rows, "the exact pitch", TOLERANCE)


main()
