"""What the peer checks share: velmarin-cli run, its tuning file followed by
C4..B4 one at a time, a player's rendering read back, and each note's
fundamental measured.

The fundamental is the peak of a Hann-windowed, zero-padded FFT, refined by
a parabola through the log magnitudes of its three bins; an instrument with
a strong, steady fundamental (an ocarina, a clarinet) keeps it clear.
"""
import math
import subprocess
import sys
import wave

OCARINA = 79
NOTE_SECONDS = 1.25  # 1 s sounding, 0.25 s silence
TOLERANCE_CENTS = 1.0

try:
    import mido
    import numpy as np
except ImportError as error:
    sys.exit(f"{error} (Debian: apt-get install python3-mido python3-numpy)")


def run_cli(cli, *arguments):
    result = subprocess.run([cli, *arguments], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"velmarin-cli {' '.join(arguments)}: exit {result.returncode}: {result.stderr}")
    return result.stdout


def add_notes(tuning_file, played_file, channel=0, expected_sysex=None, program=OCARINA):
    """The tuning file's SysEx and controllers (none without a file), then a
    program change and C4..B4 on `channel`, one at a time."""
    tuning = mido.MidiFile(tuning_file) if tuning_file else mido.MidiFile(ticks_per_beat=120)
    setup = [m for track in tuning.tracks for m in track
             if m.type in ("sysex", "control_change")]
    sysex = [m for m in setup if m.type == "sysex"]
    if expected_sysex is not None and len(sysex) != expected_sysex:
        sys.exit(f"{tuning_file}: {len(sysex)} SysEx events, expected {expected_sysex}")
    beat = tuning.ticks_per_beat  # at the default 120 beats per minute, 0.5 s
    track = mido.MidiTrack([m.copy(time=0) for m in setup])
    track.append(mido.Message("program_change", channel=channel, program=program, time=beat))
    for note in range(60, 72):
        track.append(mido.Message("note_on", channel=channel, note=note, velocity=100, time=beat // 2))
        track.append(mido.Message("note_off", channel=channel, note=note, velocity=0, time=2 * beat))
    played = mido.MidiFile(type=0, ticks_per_beat=beat)
    played.tracks.append(track)
    played.save(played_file)


def load_mono(path):
    with wave.open(path) as audio:
        if audio.getsampwidth() != 2:
            sys.exit(f"{path}: {8 * audio.getsampwidth()}-bit samples, expected 16")
        samples = np.frombuffer(audio.readframes(audio.getnframes()), dtype="<i2").astype(float)
        channels = audio.getnchannels()
        return samples[::channels], audio.getframerate()


def fundamental(segment, rate, expected):
    """The strongest peak within 3 % of `expected`, interpolated."""
    size = 1 << 20
    spectrum = np.abs(np.fft.rfft(segment * np.hanning(len(segment)), size))
    low, high = int(expected * 0.97 * size / rate), int(expected * 1.03 * size / rate)
    peak = low + int(np.argmax(spectrum[low:high]))
    a, b, c = np.log(spectrum[peak - 1:peak + 2])
    return (peak + 0.5 * (a - c) / (a - 2 * b + c)) * rate / size


def note_segments(samples, rate, title):
    """The steady part of each of the twelve notes, after its attack and
    before its release. Players drop the silence before the first note, so
    the notes are found from the first sound on."""
    loud = np.nonzero(np.abs(samples) > 100)[0]
    if len(loud) == 0:
        sys.exit(f"{title}: the player rendered silence")
    first = loud[0] / rate
    return [samples[int((first + k * NOTE_SECONDS + 0.3) * rate):int((first + k * NOTE_SECONDS + 0.95) * rate)]
            for k in range(12)]


def measure(samples, rate, offsets, title, untuned=None):
    """Prints each note against 440 * 2^((n - 69) / 12) * 2^(o / 1200), or
    against the same note rendered `untuned` moved by o cents, which leaves
    out how far the instrument's own samples stray; returns the number of
    notes more than TOLERANCE_CENTS away."""
    segments = note_segments(samples, rate, title)
    references = note_segments(untuned, rate, title + " untuned") if untuned is not None else None
    failures = 0
    print(title)
    print("note  offset  expected Hz  measured Hz  deviation (cents)")
    for k, offset in enumerate(offsets):
        note = 60 + k
        equal = 440.0 * 2 ** ((note - 69) / 12)
        if references is not None:
            equal = fundamental(references[k], rate, equal)
        expected = equal * 2 ** (offset / 1200)
        measured = fundamental(segments[k], rate, expected)
        deviation = 1200 * math.log2(measured / expected)
        mark = "" if abs(deviation) <= TOLERANCE_CENTS else "  FAIL"
        failures += bool(mark)
        print(f"{note:4d}  {offset:6d}  {expected:11.3f}  {measured:11.3f}  {deviation:+8.3f}{mark}")
    return failures
