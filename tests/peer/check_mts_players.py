#!/usr/bin/env python3
"""A GM2 tuning in one of its MIDI Tuning Standard forms, played on a real
synthesizer: velmarin-cli writes the tuning into a .mid (the SysEx, and for
the key-based forms the program select of the channel after it), the player
renders C4 to B4 after it, and each note's fundamental must lie within 1 cent
of the same note moved by its offset (see peer_pitch.py).

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
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peer_pitch  # noqa: E402

SKIP = 77
FREEPATS = "/etc/timidity/freepats.cfg"
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
OFFSETS = "30,-47,13,-8,55,-20,-62,63,-10,-33,25,1"
CHANNEL = 3
PROGRAM = 5


def render_timidity(played, rendered, work):
    config = os.path.join(work, "timidity.cfg")
    with open(config, "w") as file:
        file.write(f"source {FREEPATS}\n")
    subprocess.run(["timidity", "-c", config, "-Ow", "--output-mono", "-s", "44100",
                    "-EFreverb=0", "-EFchorus=0", "-o", rendered, played],
                   check=True, capture_output=True)


def render_fluidsynth(played, rendered, work):
    subprocess.run(["fluidsynth", "-n", "-i", "-q", "-R", "0", "-C", "0", "-g", "1.0",
                    "-r", "44100", "-O", "s16", "-T", "wav", "-F", rendered, SOUNDFONT, played],
                   check=True, capture_output=True, cwd=work)


# The player, its instruments, and the instrument played: freepats' ocarina
# is close to a sine; FluidR3's ocarina strays on G4 by a cent once retuned
# by 50 cents or more, its clarinet does not.
CLARINET = 71
PLAYERS = {
    "timidity": (render_timidity, FREEPATS, peer_pitch.OCARINA),
    "fluidsynth": (render_fluidsynth, SOUNDFONT, CLARINET),
}


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in PLAYERS:
        sys.exit(__doc__)
    cli, player, form = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
    render, instruments, instrument = PLAYERS[player]
    if not shutil.which(player) or not os.path.exists(instruments):
        print(f"{player} or {instruments} is not installed; skipped")
        sys.exit(SKIP)

    program = ["--program", str(PROGRAM)] if form in ("mts-note", "mts-bulk") else []
    with tempfile.TemporaryDirectory(prefix="velmarin-mts.") as work:
        offsets = [int(o) for o in peer_pitch.run_cli(cli, "offsets", "--offsets", OFFSETS).split()]
        tuning = os.path.join(work, "tuning.mid")
        peer_pitch.run_cli(cli, "build", "--offsets", OFFSETS, "--format", form,
                           "--parts", str(CHANNEL), *program, "-o", tuning)
        reference = os.path.join(work, "reference.mid")
        peer_pitch.run_cli(cli, "build", "--offsets", "0,0,0,0,0,0,0,0,0,0,0,0", "--format", "gm2",
                           "--parts", str(CHANNEL), "-o", reference)
        rendered = {}
        for name, source in (("tuned", tuning), ("reference", reference)):
            played = os.path.join(work, name + "-played.mid")
            peer_pitch.add_notes(source, played, channel=CHANNEL - 1, program=instrument)
            rendered[name] = os.path.join(work, name + ".wav")
            render(played, rendered[name], work)
        samples, rate = peer_pitch.load_mono(rendered["tuned"])
        untuned, _ = peer_pitch.load_mono(rendered["reference"])

    failures = peer_pitch.measure(samples, rate, offsets, f"{form} on {player}, channel {CHANNEL}",
                                  untuned)
    if failures:
        sys.exit(f"{failures} note(s) more than {peer_pitch.TOLERANCE_CENTS} cent from the tuning's pitch")
    print("every note within 1 cent")


main()
