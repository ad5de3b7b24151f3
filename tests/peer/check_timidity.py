#!/usr/bin/env python3
"""The whole chain with a real synthesizer: velmarin-cli writes Werckmeister
III as a GS scale tuning for part 1 into a .mid, TiMidity++ plays C4 to B4
on channel 1 after it, and each note's fundamental is measured.

What is compared: for pitch class k the measured frequency against
440 * 2^((n - 69) / 12) * 2^(o_k / 1200), with o_k the integer offset that
`velmarin-cli offsets --temperament werckmeister3` prints (the bytes carry
integers, so the rounding of the exact temperament is not counted); each
note must lie within 1 cent. The patch is freepats' ocarina, close to a
sine; the fundamental is the peak of a Hann-windowed, zero-padded FFT,
refined by a parabola through the log magnitudes of its three bins.

usage: check_timidity.py VELMARIN_CLI
Exit 77 (skipped) when timidity or the freepats patches are missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
FREEPATS = "/etc/timidity/freepats.cfg"
OCARINA = 79
NOTE_SECONDS = 1.25  # 1 s sounding, 0.25 s silence

if not shutil.which("timidity") or not os.path.exists(FREEPATS):
    print("timidity or freepats is not installed; skipped")
    sys.exit(SKIP)

try:
    import mido
    import numpy as np
    from pitch import fundamental, load_mono, report_notes, run_cli
except ImportError as error:
    sys.exit(f"check_timidity.py: {error} (Debian: apt-get install python3-mido python3-numpy)")



def add_notes(tuning_file, played_file):
    """The tuning file's SysEx, then a program change and C4..B4, one at a time."""
    tuning = mido.MidiFile(tuning_file)
    sysex = [m for track in tuning.tracks for m in track if m.type == "sysex"]
    if len(sysex) != 1:
        sys.exit(f"{tuning_file}: {len(sysex)} SysEx events, expected the one GS message")
    beat = tuning.ticks_per_beat  # at the default 120 beats per minute, 0.5 s
    track = mido.MidiTrack([m.copy(time=0) for m in sysex])
    track.append(mido.Message("program_change", channel=0, program=OCARINA, time=beat))
    for note in range(60, 72):
        track.append(mido.Message("note_on", channel=0, note=note, velocity=100, time=beat // 2))
        track.append(mido.Message("note_off", channel=0, note=note, velocity=0, time=2 * beat))
    played = mido.MidiFile(type=0, ticks_per_beat=beat)
    played.tracks.append(track)
    played.save(played_file)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    cli = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="velmarin-timidity.") as work:
        offsets = [int(o) for o in run_cli(cli, "offsets", "--temperament", "werckmeister3").split()]
        tuning = os.path.join(work, "w.mid")
        run_cli(cli, "build", "--temperament", "werckmeister3", "--format", "gs", "--parts", "1",
                "-o", tuning)
        played = os.path.join(work, "played.mid")
        add_notes(tuning, played)
        config = os.path.join(work, "timidity.cfg")
        with open(config, "w") as file:
            file.write(f"source {FREEPATS}\n")
        rendered = os.path.join(work, "played.wav")
        subprocess.run(["timidity", "-c", config, "-Ow", "--output-mono", "-s", "44100",
                        "-EFreverb=0", "-EFchorus=0", "-o", rendered, played],
                       check=True, capture_output=True)
        samples, rate = load_mono(rendered)

    # TiMidity++ drops the silence before the first note, so the notes are
    # found from the first sound on.
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit("TiMidity++ rendered silence")
    first = loud[0] / rate
    rows = []
    for k, offset in enumerate(offsets):
        note = 60 + k
        start = first + k * NOTE_SECONDS
        # The steady part of the note, after its attack and before its release.
        segment = samples[int((start + 0.3) * rate):int((start + 0.95) * rate)]
        expected = 440.0 * 2 ** ((note - 69) / 12) * 2 ** (offset / 1200)
        rows.append((note, offset, expected, fundamental(segment, rate, expected)))
    report_notes(rows, "the temperament's pitch")


main()
