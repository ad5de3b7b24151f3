#!/usr/bin/env python3
"""The whole chain with a real synthesizer: velmarin-cli writes Werckmeister
III as a GS scale tuning for part 1 into a .mid, TiMidity++ plays C4 to B4
on channel 1 after it, and each note's fundamental is measured.

What is compared: for pitch class k the measured frequency against
440 * 2^((n - 69) / 12) * 2^(o_k / 1200), with o_k the integer offset that
`velmarin-cli offsets --temperament werckmeister3` prints (the bytes carry
integers, so the rounding of the exact temperament is not counted); each
note must lie within 1 cent. The patch is freepats' ocarina, close to a
sine; the measurement is peer_pitch.py's.

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

if not shutil.which("timidity") or not os.path.exists(FREEPATS):
    print("timidity or freepats is not installed; skipped")
    sys.exit(SKIP)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peer_pitch  # noqa: E402


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    cli = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="velmarin-timidity.") as work:
        offsets = [int(o) for o in peer_pitch.run_cli(cli, "offsets", "--temperament", "werckmeister3").split()]
        tuning = os.path.join(work, "w.mid")
        peer_pitch.run_cli(cli, "build", "--temperament", "werckmeister3", "--format", "gs",
                           "--parts", "1", "-o", tuning)
        played = os.path.join(work, "played.mid")
        peer_pitch.add_notes(tuning, played, expected_sysex=1)
        config = os.path.join(work, "timidity.cfg")
        with open(config, "w") as file:
            file.write(f"source {FREEPATS}\n")
        rendered = os.path.join(work, "played.wav")
        subprocess.run(["timidity", "-c", config, "-Ow", "--output-mono", "-s", "44100",
                        "-EFreverb=0", "-EFchorus=0", "-o", rendered, played],
                       check=True, capture_output=True)
        samples, rate = peer_pitch.load_mono(rendered)

    failures = peer_pitch.measure(samples, rate, offsets, "Werckmeister III, GS part 1, on TiMidity++")
    if failures:
        sys.exit(f"{failures} note(s) more than {peer_pitch.TOLERANCE_CENTS} cent from the temperament's pitch")
    print("every note within 1 cent")


main()
