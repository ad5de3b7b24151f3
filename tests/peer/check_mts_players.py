#!/usr/bin/env python3
"""A GM2 tuning in one of its MIDI Tuning Standard forms, played on a real
synthesizer: velmarin-cli writes the tuning into a .mid (the SysEx, and for
the key-based forms the program select of the channel after it), the player
renders C4 to B4 after it, and each note's fundamental must lie within 1 cent
of the same note moved by its offset.

The same note comes from a second rendering, after the 1-byte scale/octave
message with every offset 0: it leaves out how far the instrument's samples
stray from equal temperament, and on FluidSynth it takes the tuned path,
which computes whole cents exactly where its untuned path may lose one.

The channel is 3 and the key-based forms use tuning program 5, so a player
that ignored the channel map or the program select would be heard. The
offsets span the range; FluidSynth 2.3 truncates a note's pitch to whole
cents, so they are ones whose 2-byte value, 8192 + round(o * 81.92), does not
lie below the cent (about half of all offsets): the others sound a cent low
there, which is the player's rounding, not the message's.

usage: check_mts_players.py VELMARIN_CLI timidity|fluidsynth FORMAT
Exit 77 (skipped) when the player or its instruments are missing.
"""
import os
import shutil
import sys
import tempfile

from players import FREEPATS, SOUNDFONT, render_fluidsynth, render_timidity

SKIP = 77
OFFSETS = [30, -47, 13, -8, 55, -20, -62, 63, -10, -33, 25, 1]
CHANNEL = 3
PROGRAM = 5
NOTE_SECONDS = 1.25  # 1 s sounding, 0.25 s silence
# The instrument played: freepats' ocarina is close to a sine; FluidR3's
# ocarina strays on G4 by a cent once retuned by 50 cents or more, its
# clarinet does not.
OCARINA = 79
CLARINET = 71


PLAYERS = {
    "timidity": (render_timidity, FREEPATS, OCARINA),
    "fluidsynth": (render_fluidsynth, SOUNDFONT, CLARINET),
}

if len(sys.argv) != 4 or sys.argv[2] not in PLAYERS:
    sys.exit(__doc__)
CLI, PLAYER, FORM = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
RENDER, SOUNDS, INSTRUMENT = PLAYERS[PLAYER]
if not shutil.which(PLAYER) or not os.path.exists(SOUNDS):
    print(f"{PLAYER} or {SOUNDS} is not installed; skipped")
    sys.exit(SKIP)

try:
    import mido
    import numpy as np
    from pitch import fundamental, rendered_segments, report_notes
    from pitch import run_cli as run_velmarin_cli
except ImportError as error:
    sys.exit(f"check_mts_players.py: {error} (Debian: apt-get install python3-mido python3-numpy)")


def run_cli(*arguments):
    return run_velmarin_cli(CLI, *arguments)


def add_notes(tuning_file, played_file):
    """The tuning file's SysEx and controllers, then a program change and
    C4..B4 on the channel, one at a time."""
    tuning = mido.MidiFile(tuning_file)
    setup = [m.copy(time=0) for track in tuning.tracks for m in track
             if m.type in ("sysex", "control_change")]
    beat = tuning.ticks_per_beat  # at the default 120 beats per minute, 0.5 s
    track = mido.MidiTrack(setup)
    track.append(mido.Message("program_change", channel=CHANNEL - 1, program=INSTRUMENT, time=beat))
    for note in range(60, 72):
        track.append(mido.Message("note_on", channel=CHANNEL - 1, note=note, velocity=100, time=beat // 2))
        track.append(mido.Message("note_off", channel=CHANNEL - 1, note=note, velocity=0, time=2 * beat))
    played = mido.MidiFile(type=0, ticks_per_beat=beat)
    played.tracks.append(track)
    played.save(played_file)


def note_segments(samples, rate):
    """The steady part of each of the twelve notes, after its attack and
    before its release. Players drop the silence before the first note, so
    the notes are found from the first sound on."""
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{PLAYER} rendered silence")
    first = loud[0] / rate
    return [samples[int((first + k * NOTE_SECONDS + 0.3) * rate):int((first + k * NOTE_SECONDS + 0.95) * rate)]
            for k in range(12)]


def main():
    program = ["--program", str(PROGRAM)] if FORM in ("mts-note", "mts-bulk") else []
    offsets = ",".join(str(o) for o in OFFSETS)
    with tempfile.TemporaryDirectory(prefix="velmarin-mts.") as work:
        tuning = os.path.join(work, "tuning.mid")
        run_cli("build", "--offsets", offsets, "--format", FORM, "--parts", str(CHANNEL), *program, "-o", tuning)
        reference = os.path.join(work, "reference.mid")
        run_cli("build", "--offsets", "0,0,0,0,0,0,0,0,0,0,0,0", "--format", "gm2",
                "--parts", str(CHANNEL), "-o", reference)
        segments, rate = rendered_segments(work, (("tuned", tuning), ("reference", reference)), add_notes, RENDER,
                                           note_segments)

    print(f"{FORM} on {PLAYER}, channel {CHANNEL}")
    rows = []
    for k, offset in enumerate(OFFSETS):
        note = 60 + k
        untuned = fundamental(segments["reference"][k], rate, 440.0 * 2 ** ((note - 69) / 12))
        expected = untuned * 2 ** (offset / 1200)
        rows.append((note, offset, expected, fundamental(segments["tuned"][k], rate, expected)))
    report_notes(rows, "the tuning's pitch")


main()
