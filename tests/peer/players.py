"""The two players the peer checks render with, as every check runs them:
mono 16-bit WAV at 44.1 kHz, reverb and chorus off."""
import os
import subprocess

FREEPATS = "/etc/timidity/freepats.cfg"
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"


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
