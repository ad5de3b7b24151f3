"""What the peer checks measure in rendered audio: 16-bit WAV files read as
one channel, and a note's fundamental found in a stretch of samples."""
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
