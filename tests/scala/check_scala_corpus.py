#!/usr/bin/env python3
"""Odd Scala scales of the project's own making, read twice: by
`velmarin-cli keys --scl FILE` and by this script's own reading of the
format, ratios in exact integer arithmetic. Every key of the scale laid on
the keys linearly from C4 (degree 0 on key 60 at its equal-tempered pitch
for A4 = 440 Hz, degree d on key 60 + d) must agree to 0.01 cent in the
column of cents from each key's equal-tempered pitch.

`keys` lays a scale on the keys itself when twelve pitch classes cannot hold
it (more than twelve notes, or a period other than 2/1); a 2/1 scale of
twelve notes is twelve pitch classes, degree d on pitch class d, the same
layout. A 2/1 scale of fewer notes `keys` maps onto pitch classes today, and
refuses when two of its degrees fall on one; such a scale is laid on the keys
by a linear keyboard map of the script's own (--kbm) instead, and named.

usage: check_scala_corpus.py VELMARIN_CLI FOLDER
"""
import decimal
import os
import re
import subprocess
import sys
import tempfile
from fractions import Fraction

# Leading blanks, then a value: cents with a point, or a ratio or integer.
VALUE = re.compile(r"[ \t]*([+-]?)(\d*\.\d*|\d+(?:/\d+)?)")
LINEAR_FROM_C4 = "! linear from C4 at its equal-tempered pitch\n0\n0\n127\n60\n60\n261.6255653006\n0\n"


def ratio_cents(ratio):
    """1200 log2 of an exact fraction, to far below a millionth of a cent."""
    with decimal.localcontext() as context:
        context.prec = 60
        quotient = decimal.Decimal(ratio.numerator) / decimal.Decimal(ratio.denominator)
        return float(quotient.ln() / decimal.Decimal(2).ln() * 1200)


def read_scale(path):
    """(description, [(cents, exact ratio or None)]) by the format's rules."""
    with open(path, "rb") as file:
        data = file.read()
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    lines = data.decode("latin-1").split("\n")
    if lines[-1] == "":
        lines.pop()  # nothing after the last line end
    lines = [line[:-1] if line.endswith("\r") else line for line in lines]
    lines = [line for line in lines if not line.startswith("!")]
    description, count = lines[0], int(lines[1].split()[0])
    pitches = []
    for line in lines[2:2 + count]:
        match = VALUE.match(line)
        sign, value = match.group(1), match.group(2)
        if not re.search(r"\d", value):
            raise ValueError(f"{path}: no pitch in {line!r}")
        if "." in value:
            whole, _, fraction = value.partition(".")
            cents = float(Fraction(int(whole or "0")) + Fraction(int(fraction or "0"), 10 ** len(fraction)))
            pitches.append((-cents if sign == "-" else cents, None))
        else:
            p, _, q = value.partition("/")
            ratio = Fraction(int(p), int(q or "1"))
            pitches.append((ratio_cents(ratio), ratio))
    if len(pitches) != count:
        raise ValueError(f"{path}: {len(pitches)} of {count} pitches")
    return description, pitches


def is_octave(pitch):
    cents, ratio = pitch
    return ratio == 2 if ratio is not None else abs(cents - 1200) < 1e-6


def expected_keys(pitches):
    """Per key: cents from its own equal-tempered pitch."""
    n = len(pitches)
    keys = []
    for key in range(128):
        period, step = divmod(key - 60, n)
        cents = period * pitches[-1][0] + (pitches[step - 1][0] if step else 0)
        keys.append(cents - 100 * (key - 60))
    return keys


def run_keys(cli, path, kbm=None):
    arguments = [cli, "keys", "--scl", path] + (["--kbm", kbm] if kbm else [])
    return subprocess.run(arguments, capture_output=True, text=True)


def disagreements(expected, output):
    """What `keys` printed that differs from the expected cents, key by key."""
    lines = output.splitlines()
    if len(lines) != 128:
        return [f"{len(lines)} lines, expected 128"]
    found = []
    for key, (line, cents) in enumerate(zip(lines, expected)):
        number, hz, printed = line.split("\t")
        # Two decimals of a cent are 0.005 at most from the value itself.
        if int(number) != key or hz == "-" or abs(float(printed) - cents) > 0.01:
            found.append(f"key {key}: {line!r}, expected {cents:.4f} cents")
    return found


def tall_scales():
    """The tallest scales, made here rather than stored: as many notes as a
    scale may have, each 1.9 cents; and 600 to the octave, ratios and cents
    by turns."""
    return {
        "thousand_notes.scl": "! thousand_notes.scl\nA thousand notes\n1000\n"
        + "".join(f"{k * 1.9:.1f}\n" for k in range(1, 1001)),
        "hundreds_of_notes.scl": "! hundreds_of_notes.scl\n600 notes, ratios and cents\n 600\n"
        + "".join(f" {2 * k:.5f}\n" if k % 2 else f" {600 + k}/600\n" for k in range(1, 601)),
    }


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, folder = os.path.abspath(sys.argv[1]), sys.argv[2]
    paths = {name: os.path.join(folder, name) for name in os.listdir(folder) if name.endswith(".scl")}
    if not paths:
        sys.exit(f"no .scl files in {folder}")
    failures = 0
    refused = []
    with tempfile.TemporaryDirectory(prefix="velmarin-corpus.") as work:
        kbm = os.path.join(work, "linear-from-c4.kbm")
        with open(kbm, "w") as file:
            file.write(LINEAR_FROM_C4)
        for name, text in tall_scales().items():
            paths[name] = os.path.join(work, name)
            with open(paths[name], "w") as file:
                file.write(text)
        for name in sorted(paths):
            path = paths[name]
            _, pitches = read_scale(path)
            plain = run_keys(cli, path)
            through_map = len(pitches) < 12 and is_octave(pitches[-1])
            if through_map:
                if plain.returncode != 0:
                    refused.append(name)
                    print(f"note: {name}: refused by `keys` today ({plain.stderr.strip()}); "
                          "read through --kbm linear from C4 instead")
                else:
                    print(f"note: {name}: `keys` lays it on pitch classes today; read through --kbm linear from C4")
                result = run_keys(cli, path, kbm)
            else:
                result = plain
            found = (disagreements(expected_keys(pitches), result.stdout) if result.returncode == 0
                     else [f"velmarin-cli keys: exit {result.returncode}: {result.stderr.strip()}"])
            for disagreement in found:
                print(f"FAIL: {name}: {disagreement}")
            failures += len(found)
            if not found:
                print(f"{name}: {len(pitches)} notes, all 128 keys agree")
    if refused:
        print("refused by `velmarin-cli keys --scl` today: " + " ".join(refused))
    if failures:
        sys.exit(f"{failures} disagreement(s)")


main()
