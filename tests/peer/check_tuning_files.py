#!/usr/bin/env python3
"""The files for software synthesizers read by a reader of their own: velmarin-cli
writes a tuning as .scl, .kbm and .tun; this script reads the scale and the
map by the Scala documentation's rules and the .tun's [Exact Tuning], and
every key must agree with the pitch typed from the tuning's construction, and
with `velmarin-cli keys`, to 0.01 cent.

Cases: 19-EDO on the five-note map of x keys (the .tun holds all 128 keys in
both sections, a key the map leaves out at its equal-tempered pitch, 100
cents a key above the base, where MIDI's "no change" leaves it), and
Werckmeister III on D at A4 = 415 Hz from its published cents (twelve pitch
classes as a scale from the tonic with its map).

usage: check_tuning_files.py VELMARIN_CLI FIXTURES
"""
import math
import os
import subprocess
import sys
import tempfile

BASE_HZ = 8.1757989156
WERCKMEISTER = [0, 90.225, 192.180, 294.135, 390.225, 498.045, 588.270, 696.090, 792.180, 888.270,
                996.090, 1092.180]


def run_cli(cli, *arguments):
    result = subprocess.run([cli, *arguments], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"velmarin-cli {' '.join(arguments)}: exit {result.returncode}: {result.stderr}")
    return result.stdout


def values(path):
    with open(path, encoding="latin-1") as file:
        return [line.strip() for line in file if not line.startswith("!")]


def read_scale(path):
    lines = values(path)
    count = int(lines[1].split()[0])
    cents = []
    for line in lines[2:2 + count]:
        word = line.split()[0]
        if "." in word:
            cents.append(float(word))
        else:
            p, _, q = word.partition("/")
            cents.append(1200 * math.log2(int(p) / int(q or 1)))
    return cents


def read_map(path):
    lines = values(path)
    size, first, last, middle, reference = (int(v.split()[0]) for v in lines[:5])
    hz, octave = float(lines[5].split()[0]), int(lines[6].split()[0])
    entries = [None if v.startswith("x") else int(v) for v in lines[7:7 + size]]
    entries += [None] * (size - len(entries))
    return size, first, last, middle, reference, hz, octave, entries


def key_cents(scale, kbm):
    """Cents above BASE_HZ of every key, None for an unmapped one."""
    size, first, last, middle, reference, hz, octave, entries = kbm
    n = len(scale)
    octave = octave or n

    def degree(key):
        if size == 0:
            return key - middle
        repetition, index = divmod(key - middle, size)
        return None if entries[index] is None else entries[index] + repetition * octave

    def cents(d):
        period, step = divmod(d, n)
        return period * scale[-1] + (scale[step - 1] if step else 0)

    base = 1200 * math.log2(hz / BASE_HZ) - cents(degree(reference))
    return [base + cents(degree(key)) if first <= key <= last and degree(key) is not None else None
            for key in range(128)]


def read_tun(path):
    """[Exact Tuning]'s keys, and how many keys each section names."""
    keys = [None] * 128
    counts = {}
    section = None
    with open(path, encoding="latin-1") as file:
        for line in file:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif line.startswith("note "):
                counts[section] = counts.get(section, 0) + 1
                key, _, value = line[5:].partition("=")
                if section == "[Exact Tuning]":
                    keys[int(key)] = float(value)
    return keys, counts


def compare(name, expected, measured, failures, hz_decimals=None):
    for key in range(128):
        e, m = expected[key], measured[key]
        tolerance = 0.01
        if hz_decimals is not None and e is not None:
            # Hz to that many decimals: a little more than 0.01 cent below 4 Hz.
            hz = BASE_HZ * 2 ** (e / 1200)
            tolerance = max(tolerance, 1200 * math.log2(1 + 0.5 * 10 ** -hz_decimals / hz) + 1e-4)
        if (e is None) != (m is None) or (e is not None and abs(e - m) > tolerance):
            print(f"FAIL: {name}: key {key}: expected {e}, got {m}")
            failures += 1
    return failures


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, fixtures = os.path.abspath(sys.argv[1]), sys.argv[2]
    edo = [1200 * k / 19 for k in range(1, 20)]
    # The temperament moved onto D, D kept at its equal-tempered pitch, then
    # A4 moved to 415 Hz.
    d4 = 1200 * math.log2(440 / BASE_HZ) - 700 + 1200 * math.log2(415 / 440)
    expected_w = [d4 + (key - 62) // 12 * 1200 + WERCKMEISTER[(key - 62) % 12] for key in range(128)]
    white = [0, 1, None, 2, 3, 4, None]
    expected_19 = [None] * 128
    for key in range(128):
        repetition, index = divmod(key - 60, 7)
        if white[index] is not None:
            d = white[index] + 5 * repetition
            period, step = divmod(d, 19)
            expected_19[key] = 1200 * math.log2(261.6255653 / BASE_HZ) + 1200 * period + (edo[step - 1] if step else 0)
    cases = [
        ("19-EDO on five keys of seven", ["--scl", os.path.join(fixtures, "scl/19edo.scl"), "--kbm",
                                          os.path.join(fixtures, "kbm/white5.kbm")], expected_19),
        ("Werckmeister III on D at 415 Hz", ["--temperament", "werckmeister3", "--tonic", "D", "--a4", "415"],
         expected_w),
    ]
    failures = 0
    with tempfile.TemporaryDirectory(prefix="velmarin-files.") as work:
        for name, source, expected in cases:
            paths = {kind: os.path.join(work, "tuning." + kind) for kind in ("scl", "kbm", "tun")}
            for path in paths.values():
                run_cli(cli, "build", *source, "-o", path)
            failures = compare(name + " .scl/.kbm", expected, key_cents(read_scale(paths["scl"]),
                                                                        read_map(paths["kbm"])), failures)
            tun, counts = read_tun(paths["tun"])
            if counts != {"[Tuning]": 128, "[Exact Tuning]": 128}:
                print(f"FAIL: {name} .tun: keys per section {counts}, expected 128 in each")
                failures += 1
            at_rest = [100.0 * key if cents is None else cents for key, cents in enumerate(expected)]
            failures = compare(name + " .tun", at_rest, tun, failures)
            keys = [None] * 128
            for line in run_cli(cli, "keys", *source).splitlines():
                key, hz, _ = line.split("\t")
                keys[int(key)] = None if hz == "-" else 1200 * math.log2(float(hz) / BASE_HZ)
            failures = compare(name + " keys", expected, keys, failures, hz_decimals=4)
            print(f"{name}: .scl/.kbm, .tun and keys agree with the construction")
    if failures:
        sys.exit(f"{failures} key(s) more than 0.01 cent off")


main()
