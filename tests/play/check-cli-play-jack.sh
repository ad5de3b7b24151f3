#!/usr/bin/env bash
# velmarin-cli play between jack_play_probe's sender and receiver on a JACK
# server of the check's own (the dummy driver, 128 frames a period at 48 kHz,
# under a private name), stopped with Ctrl+C (SIGINT) while keys and the
# sustain pedal are down. For each method the bytes received must be those
# of the retuning engine's table (tests/core/RetuneEngineTest.cpp) for the
# same keys, and no note may be left on. The bend method's stream, with its
# times, is then played by FluidSynth and TiMidity++ (tests/peer), and the
# latency play adds to a direct connection is printed, not judged.
# The server is stopped by its process id, whatever happens. Exit 77
# (skipped) without jackd.
# Usage: check-cli-play-jack.sh PROBE CLI PYTHON
set -uo pipefail
probe=$(realpath "$1") cli=$(realpath "$2") python=$3
peer="$(cd "$(dirname "$0")/../peer" && pwd)"
for tool in jackd jack_wait; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
# shellcheck source=../common/jack-server.sh
. "$(dirname "$0")/../common/jack-server.sh"
server=velmarin-cli-play-$$
export JACK_DEFAULT_SERVER=$server JACK_NO_START_SERVER=1
work=$(mktemp -d /tmp/velmarin-cli-play.XXXXXX)
jackd_pid='' probe_pid='' cli_pid=''
cleanup() {
  [ -n "$jackd_pid" ] && stop "$jackd_pid"
  for pid in $probe_pid $cli_pid; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
  remove_server_files "$server"
}
trap cleanup EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

start_server "$server" jackd.log 128 || exit 1

said() { grep -q "^$1\$" "$2"; }
gone() { local state; ! state=$(ps -o stat= -p "$1") || [[ $state == Z* ]]; }
# through NAME PROBE_OPTIONS -- PLAY_OPTIONS: the probe waits, play connects
# itself to it, and once the probe has sent everything play is stopped as
# Ctrl+C stops it; NAME.got holds what came through, NAME.out the probe's
# figures.
through() {
  local name=$1 options=() status
  shift
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  timeout 120 "$probe" --await --no-byte-check "${options[@]}" --received "$name.got" --received-ms "$name.ms" \
    >"$name.out" 2>&1 &
  probe_pid=$!
  until_within 15 said waiting "$name.out" || { fail "$name: the probe did not start: $(cat "$name.out")"; return; }
  "$cli" play --in velmarin-probe-send:out --port velmarin-probe-recv:through "$@" >"$name.cli" 2>&1 &
  cli_pid=$!
  until_within 90 said sent "$name.out" || fail "$name: the probe never sent it all: $(cat "$name.out" "$name.cli")"
  kill -INT "$cli_pid"
  until_within 20 gone "$cli_pid" || { kill -KILL "$cli_pid"; fail "$name: play still ran 20 s after Ctrl+C"; }
  wait "$cli_pid"
  status=$?
  cli_pid=''
  [ "$status" -eq 0 ] || fail "$name: play exited with $status after Ctrl+C: $(cat "$name.cli")"
  wait "$probe_pid"
  probe_pid=''
  grep -q '^playing .*; Ctrl+C ends$' "$name.cli" && grep -q '^played [0-9]* notes*' "$name.cli" ||
    fail "$name: play's lines: $(cat "$name.cli")"
}
# Each script starts with a GS Reset, after which the engine sets the
# synthesizer up again: what it sent as it started may come before JACK has
# joined its port to the receiver's, and is not judged.
gs_reset="F0 41 10 42 12 40 00 7F 00 41 F7"
# expect NAME HEX [LINES]: what came through from the reset on, byte for
# byte; only its first LINES messages when given.
expect() {
  local got
  got=$(sed -n "/^$gs_reset\$/,\$p" "$1.got" | head -n "${3:-1000000}" | tr '\n' ' ' | sed 's/ $//')
  [ "$got" = "$gs_reset $2" ] || fail "$1: received $got"$'\n'"  expected $gs_reset $2"
}
# silent NAME: every note-on met by its note-off, or by All Notes Off on its
# channel, with both pedals up there by then.
silent() {
  awk '
    { kind = substr($1, 1, 1); ch = substr($1, 2, 1) }
    kind == "9" && $3 != "00" { on[ch " " $2] = 1; next }
    kind == "8" || kind == "9" { if (down[ch "40"] || down[ch "42"]) off[ch " " $2] = 1; else delete on[ch " " $2]; next }
    kind == "B" && ($2 == "40" || $2 == "42") {
      down[ch $2] = $3 >= "40"
      if (!down[ch "40"] && !down[ch "42"]) for (n in off) if (substr(n, 1, 1) == ch) { delete on[n]; delete off[n] }
      next }
    kind == "B" && $2 == "7B" && !down[ch "40"] && !down[ch "42"] { for (n in on) if (substr(n, 1, 1) == ch) delete on[n] }
    END { for (n in on) { print "channel " n; stuck = 1 }; exit stuck }
  ' "$1.got" >stuck || fail "$1: notes left on: $(tr '\n' ';' <stuck)"
}

# The range, 3 semitones, on every channel but 10, as the engine starts
# (registered parameter 0, then the null one).
range() { printf 'B%X 65 00 B%X 64 00 B%X 06 %s B%X 26 00 B%X 65 7F B%X 64 7F' "$1" "$1" "$1" "$2" "$1" "$1" "$1"; }
ranges=''
for c in 0 1 2 3 4 5 6 7 8 10 11 12 13 14 15; do ranges="$ranges$(range "$c" 03) "; done

# Werckmeister III: the table's "stop" row, pedal and a key down at Ctrl+C;
# E 9.775 cents flat is 7925 at 3 semitones. The notes 1.2 s apart, for
# the synthesizers.
printf '0 %s\n200 B0 40 7F\n300 90 3C 64\n1500 90 40 64\n2600 80 3C 40\n' "$gs_reset" >bend.script
through bend --script bend.script -- --temperament werckmeister3
expect bend "${ranges}B0 40 7F 90 3C 64 B1 40 7F E1 75 3D 91 40 64 80 3C 40 B0 40 00 B0 42 00 B0 7B 00 81 40 40 B1 40 00 B1 42 00 B1 7B 00 E1 00 40"
silent bend
for synth in timidity fluidsynth; do
  "$python" "$peer/check_played_bends.py" bend.ms "$synth" 60=0 64=-9.775
  status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || fail "the bend method's notes on $synth"
done

# MPE: the zone configured (registered parameter 6 on channel 1: 15
# members), 48 semitones on each member and 2 on the manager; each note on
# a member of its own, E at 8175.
mpe="B0 64 06 B0 65 00 B0 06 0F B0 65 7F B0 64 7F"
for c in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15; do mpe="$mpe $(range "$c" 30)"; done
printf '0 %s\n200 90 3C 64\n300 90 40 64\n400 B0 40 7F\n' "$gs_reset" >mpe.script
through mpe --script mpe.script -- --temperament werckmeister3 --method mpe
expect mpe "$mpe $(range 0 02) 91 3C 64 E2 6F 3F 92 40 64 B0 40 7F" 106
silent mpe

# Tuning messages: the SysEx build writes first, the keys as they are.
listing=$("$cli" build --temperament werckmeister3 --format gs --parts 2 | tr -d '\r' | tr '\n' ' ' | sed 's/ *$//')
printf '0 %s\n200 91 3C 64\n300 B1 40 7F\n' "$gs_reset" >tuning.script
through tuning --script tuning.script -- --temperament werckmeister3 --method tuning --format gs --parts 2
expect tuning "$listing 91 3C 64 B1 40 7F 81 3C 40 B1 40 00 B1 42 00 B1 7B 00"
silent tuning

# The probe's own sequence (300 notes and every kind of message) through
# the bend method: the latency figures.
through latency --notes 300 -- --temperament werckmeister3
sed -n '/^latency/,$p' latency.out
silent latency

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "velmarin-cli play under JACK: all checks passed"
