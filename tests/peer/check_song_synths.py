#!/usr/bin/env python3
"""A song whose reset and first notes are both at tick 0, tuned with
`velmarin-cli apply` and played on a real synthesizer: each note's measured
pitch must match Werckmeister III within 1 cent.

  timidity    a GS song (GS Reset), the tuning as GS scale tuning, part 1;
              TiMidity++ with freepats' ocarina
  fluidsynth  a GM2 song (GM System On), the tuning as MIDI Tuning Standard
              scale/octave tuning, channel 1; FluidSynth with FluidR3_GM's
              ocarina

Each note is measured against the same note of the song as it was, without
the tuning, rendered by the same synthesizer: that takes out how far its
samples are from equal temperament (FluidR3_GM's ocarina is up to 2 cents).
The same tuning placed naively in front of the reset is rendered too: the
reset wipes it, so its notes must NOT all be in tune, or the check could not
tell reset-aware placement from none.

usage: check_song_synths.py VELMARIN_CLI timidity|fluidsynth
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
OCARINA = 79
NOTE_SECONDS = 1.25  # 1 s sounding, 0.25 s silence
RESETS = {"timidity": [0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41],  # GS Reset
          "fluidsynth": [0x7E, 0x7F, 0x09, 0x01]}                              # GM System On
FORMATS = {"timidity": "gs", "fluidsynth": "gm2"}

if len(sys.argv) != 3 or sys.argv[2] not in RESETS:
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
    sys.exit(f"check_song_synths.py: {error} (Debian: apt-get install python3-mido python3-numpy)")



def write_song(path, tuning=()):
    """The reset, the program and the first note at tick 0 (after `tuning`),
    then C4 to B4 one at a time, 480 ticks per quarter note at 120 bpm."""
    beat = 480
    track = mido.MidiTrack([mido.Message("sysex", data=data) for data in tuning])
    track.append(mido.Message("sysex", data=RESETS[SYNTH]))
    track.append(mido.Message("program_change", channel=0, program=OCARINA))
    for k, note in enumerate(range(60, 72)):
        track.append(mido.Message("note_on", channel=0, note=note, velocity=100, time=0 if k == 0 else beat // 2))
        track.append(mido.Message("note_off", channel=0, note=note, velocity=0, time=2 * beat))
    song = mido.MidiFile(type=0, ticks_per_beat=beat)
    song.tracks.append(track)
    song.save(path)


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


def frequencies(samples, rate, offsets):
    """The fundamental of each of the twelve notes, found from the first sound
    on (the synthesizers drop or keep leading silence)."""
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{SYNTH} rendered silence")
    first = loud[0] / rate
    result = []
    for k, offset in enumerate(offsets):
        start = first + k * NOTE_SECONDS
        # The steady part of the note, after its attack and before its release.
        segment = samples[int((start + 0.3) * rate):int((start + 0.95) * rate)]
        result.append(fundamental(segment, rate, 440.0 * 2 ** ((60 + k - 69) / 12) * 2 ** (offset / 1200)))
    return result


def cents(measured, reference):
    return [1200 * math.log2(m / r) for m, r in zip(measured, reference)]


def main():
    cli = os.path.abspath(sys.argv[1])
    source = ["--temperament", "werckmeister3", "--format", FORMATS[SYNTH], "--parts", "1"]
    offsets = [int(o) for o in run_cli(cli, "offsets", "--temperament", "werckmeister3").split()]
    with tempfile.TemporaryDirectory(prefix="velmarin-song.") as work:
        song = os.path.join(work, "song.mid")
        write_song(song)
        reference = frequencies(*render(song, work), [0] * 12)
        tuned = os.path.join(work, "tuned.mid")
        print(run_cli(cli, "apply", song, *source, "-o", tuned).strip())
        measured = cents(frequencies(*render(tuned, work), offsets), reference)

        listing = os.path.join(work, "tuning.syx")
        run_cli(cli, "build", *source, "-o", listing)
        naive = os.path.join(work, "naive.mid")
        write_song(naive, [message.data for message in mido.read_syx_file(listing)])
        control = cents(frequencies(*render(naive, work), offsets), reference)

    failures = 0
    print("note  offset  untuned Hz  measured (cents from untuned)  tuning before the reset")
    for k, (offset, got, naive_got) in enumerate(zip(offsets, measured, control)):
        mark = "" if abs(got - offset) <= TOLERANCE_CENTS else "  FAIL"
        failures += bool(mark)
        print(f"{60 + k:4d}  {offset:6d}  {reference[k]:10.3f}  {got:+8.3f}{mark:6s}  {naive_got:+8.3f}")
    if failures:
        sys.exit(f"{failures} note(s) more than {TOLERANCE_CENTS} cent from the temperament's pitch")
    if all(abs(got - offset) <= TOLERANCE_CENTS for offset, got in zip(offsets, control)):
        sys.exit("the tuning placed before the reset sounds in tune too: the check cannot tell placements apart")
    print(f"every note within 1 cent on {SYNTH}; before the reset the tuning is lost")


main()
