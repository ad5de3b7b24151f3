"""What the peer checks share: running velmarin-cli, 16-bit WAV files read as
one channel, a note's fundamental found in a stretch of samples, and the
table of notes measured against their expected pitch."""
import math
import os
import subprocess
import sys
import wave

import numpy as np


def load_mono(path):
    with wave.open(path) as audio:
        if audio.getsampwidth() != 2:
            sys.exit(f"{path}: {8 * audio.getsampwidth()}-bit samples, expected 16")
        samples = np.frombuffer(audio.readframes(audio.getnframes()), dtype="<i2").astype(float)
        channels = audio.getnchannels()
        return samples[::channels], audio.getframerate()


def fundamental(segment, rate, expected):
    """The strongest peak within 3 % of `expected`, interpolated: the peak of a
    Hann-windowed, zero-padded FFT, refined by a parabola through the log
    magnitudes of its three bins."""
    size = 1 << 20
    spectrum = np.abs(np.fft.rfft(segment * np.hanning(len(segment)), size))
    low, high = int(expected * 0.97 * size / rate), int(expected * 1.03 * size / rate)
    peak = low + int(np.argmax(spectrum[low:high]))
    a, b, c = np.log(spectrum[peak - 1:peak + 2])
    return (peak + 0.5 * (a - c) / (a - 2 * b + c)) * rate / size


TOLERANCE_CENTS = 1.0


def rendered_segments(work, sources, write_played, render, cut):
    """Each (name, tuning file) of `sources`, with what `write_played` plays
    after it, rendered by `render` and cut by `cut` into its notes: the notes'
    samples by name, and the rate."""
    segments = {}
    for name, source in sources:
        played = os.path.join(work, name + "-played.mid")
        write_played(source, played)
        rendered = os.path.join(work, name + ".wav")
        render(played, rendered, work)
        samples, rate = load_mono(rendered)
        segments[name] = cut(samples, rate)
    return segments, rate


def run_cli(cli, *arguments):
    result = subprocess.run([cli, *arguments], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"velmarin-cli {' '.join(arguments)}: exit {result.returncode}: {result.stderr}")
    return result.stdout


def report_notes(rows, what, tolerance=TOLERANCE_CENTS):
    """Prints (note, offset, expected Hz, measured Hz) rows with their deviation
    and exits with a failure when any note is more than `tolerance` cents
    from `what`, the pitch it should have."""
    failures = 0
    print("note  offset  expected Hz  measured Hz  deviation (cents)")
    for note, offset, expected, measured in rows:
        deviation = 1200 * math.log2(measured / expected)
        mark = "" if abs(deviation) <= tolerance else "  FAIL"
        failures += bool(mark)
        shown = f"{offset:6d}" if isinstance(offset, int) else f"{offset:6.2f}"
        print(f"{note:4d}  {shown}  {expected:11.3f}  {measured:11.3f}  {deviation:+8.3f}{mark}")
    if failures:
        sys.exit(f"{failures} note(s) more than {tolerance} cent from {what}")
    print(f"every note within {tolerance} cent")
