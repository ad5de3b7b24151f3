#!/usr/bin/env bash
# velmarin-cli.exe play under Wine, between the winmm test double's scripted
# keyboard and its synthesizer (tests/mididouble), in a prefix of the check's
# own: the bytes the synthesizer gets are those of the retuning engine's
# table (tests/core/RetuneEngineTest.cpp) for the same keys, stopped as
# Ctrl+C stops it (a SIGINT reaches Wine's console handler as CTRL_C_EVENT)
# with a key and the sustain pedal down. With --mts-esp the stand-in
# MTS-ESP library (tests/mtsesp) is installed where MTS-ESP belongs.
# Usage: check-cli-play-wine.sh WINMM_DLL MTSESP_DLL PREFIX CLI
set -uo pipefail
dll=$(realpath "$1") mtsesp=$(realpath "$2") prefix=$(realpath -m "$3") cli=$(realpath "$4")
runner="$(cd "$(dirname "$0")/../mididouble" && pwd)/run-midiout-wine.sh"
folder="$prefix/drive_c/Program Files/Common Files/MTS-ESP"
library="$folder/LIBMTS.dll"
work=$(mktemp -d /tmp/velmarin-cli-play.XXXXXX)
trap 'rm -rf "$work" "$folder"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

export VELMARIN_MIDI_IN_DEVICES='Keys' VELMARIN_MIDI_DEVICES='Synth' VELMARIN_MIDI_LOG=sent.log
export VELMARIN_MIDI_TRACE=trace VELMARIN_MIDI_IN_SCRIPT=keys.script
# Werckmeister III: the table's "stop" row, the pedal and E down at Ctrl+C;
# E 9.775 cents flat is 7925 (75 3D) at 3 semitones.
printf '0 B0 40 7F\n50 90 3C 64\n100 90 40 64\n150 80 3C 40\n' >keys.script
range() { printf 'b%x 65 00 b%x 64 00 b%x 06 03 b%x 26 00 b%x 65 7f b%x 64 7f ' "$1" "$1" "$1" "$1" "$1" "$1"; }
expected=''
for c in 0 1 2 3 4 5 6 7 8 10 11 12 13 14 15; do expected="$expected$(range "$c")"; done
expected="${expected}b0 40 7f 90 3c 64 b1 40 7f e1 75 3d 91 40 64 80 3c 40"
stopped="b0 40 00 b0 42 00 b0 7b 00 81 40 40 b1 40 00 b1 42 00 b1 7b 00 e1 00 40"
sent() { od -An -tx1 -v sent.log 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# play OPTIONS...: runs until the synthesizer has got the keys, then Ctrl+C.
play() {
  rm -f sent.log trace
  "$runner" "$dll" "$prefix" "$cli" play --temperament werckmeister3 --in Keys --port Synth "$@" >out 2>err </dev/null &
  local pid=$!
  for _ in $(seq 600); do
    [ "$(sent)" = "$expected" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -INT "$pid" 2>/dev/null
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null && fail "still running 30 s after Ctrl+C"
  wait "$pid"
  status=$?
}

play
[ "$status" -eq 0 ] || fail "play: exit status $status after Ctrl+C: $(cat err)"
[ "$(sent)" = "$expected $stopped" ] || fail "play: the synthesizer got $(sent)"
grep -qx "playing Werckmeister III from 'Keys' to 'Synth' by pitch bend on channels 1-9,11-16; Ctrl+C ends" out &&
  grep -qx "played 2 notes; none off pitch" out || fail "play's lines: $(cat out)"
grep -q "^close" trace && grep -q "^in close$" trace || fail "the devices not closed: $(cat trace)"

mkdir -p "$folder" && cp "$mtsesp" "$library" && printf 'clients=0\n' >"$library.state"
play --mts-esp
[ "$status" -eq 0 ] || fail "play --mts-esp: exit status $status after Ctrl+C: $(cat err)"
grep -q "by pitch bend on channels 1-9,11-16; MTS-ESP master: Werckmeister III, 0 clients connected; Ctrl+C ends" out ||
  fail "play --mts-esp's line: $(cat out)"
grep -q '^MTS_RegisterMaster' "$library.log" && [ "$(tail -n 1 "$library.log")" = MTS_DeregisterMaster ] ||
  fail "play --mts-esp: the library got $(tr '\n' ' ' <"$library.log")"

# Another master holds the session: refused before a device is opened.
rm -f "$library.log" && printf 'master=1\n' >"$library.state"
play --mts-esp
[ "$status" -eq 1 ] && grep -qF "velmarin-cli: another MTS-ESP master holds the session; close it first" err ||
  fail "play --mts-esp beside another master: status $status: $(cat err)"
grep -q open trace 2>/dev/null && fail "play --mts-esp beside another master opened a device: $(cat trace)"

VELMARIN_MIDI_FAIL=open play
[ "$status" -eq 1 ] && grep -q "Synth" err || fail "a synthesizer another program holds: status $status: $(cat err)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "velmarin-cli play under Wine: all checks passed"
