#!/usr/bin/env bash
# velmarin-cli.exe's ports and send under Wine, against the winmm test double
# (tests/mididouble): the devices it lists, and the bytes that reach the
# device, which must be exactly those of the .syx that build writes.
# Usage: check-cli-send.sh WINMM_DLL PREFIX CLI
set -uo pipefail
dll=$1 prefix=$2 cli=$3
runner="$(cd "$(dirname "$0")/../mididouble" && pwd)/run-midiout-wine.sh"
work=$(mktemp -d /tmp/velmarin-cli-send.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

run() {
  "$runner" "$dll" "$prefix" "$cli" "$@" >out 2>err
  status=$?
}
expect() {
  if [ "$status" -ne "$1" ]; then
    fail "$2: exit status $status, expected $1"
    sed 's/^/  stderr: /' err
  fi
}

export VELMARIN_MIDI_DEVICES='Synth A|Synth B'
run ports
expect 0 "ports"
printf '0\tSynth A\n1\tSynth B\n' >expected
cmp -s expected out || fail "ports listed: $(od -An -c out | head -3)"

VELMARIN_MIDI_DEVICES='' run ports
expect 0 "ports without devices"
[ -s out ] && fail "ports without devices printed: $(head -c 200 out)"

run build --temperament equal --format gs --parts 1 -o equal.syx
expect 0 "build -o .syx"
VELMARIN_MIDI_LOG=gs.log run send --port 0 --temperament equal --format gs --parts 1 --pause 0
expect 0 "send GS to device 0"
cmp -s equal.syx gs.log || fail "GS: the device got $(od -An -tx1 gs.log 2>/dev/null | head -3)"

run build --temperament vallotti --tonic G --format xg --parts 2-3 -o vallotti.syx
expect 0 "build -o .syx"
VELMARIN_MIDI_LOG=xg.log run send --port 'Synth B' --temperament vallotti --tonic G --format xg \
  --parts 2-3 --pause 1
expect 0 "send XG to the device named Synth B"
cmp -s vallotti.syx xg.log || fail "XG: the device got $(od -An -tx1 xg.log 2>/dev/null | head -3)"

VELMARIN_MIDI_FAIL=open run send --port 1 --temperament equal --format gs --parts 1
expect 1 "send to a device another program holds"
grep -q 'Synth B' err || fail "the failed device is not named: $(cat err)"

run send --port 'Synth C' --temperament equal --format gs --parts 1
expect 1 "send to a device that is not there"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "velmarin-cli ports and send: all checks passed"
