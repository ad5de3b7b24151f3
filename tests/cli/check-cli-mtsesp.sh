#!/usr/bin/env bash
# velmarin-cli.exe mts-esp under Wine, with the stand-in MTS-ESP library
# (tests/mtsesp) where MTS-ESP is installed, in a prefix of the check's own:
# the calls the library gets, in order, from registering to deregistering
# when the program is stopped as Ctrl+C stops it. Under Wine a SIGINT to the
# program's process reaches its console control handler as CTRL_C_EVENT, as
# Ctrl+C in a terminal does; Wine 8's GenerateConsoleCtrlEvent fails
# (invalid handle), so a Windows parent cannot send Ctrl+Break here.
# Usage: check-cli-mtsesp.sh WHOLE_DLL OLD_DLL NO_MASTER_DLL PREFIX CLI
set -uo pipefail
whole=$1 old=$2 nomaster=$3 prefix=$4 cli=$5
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
fixtures="$(cd "$(dirname "$0")/../fixtures" && pwd)"
export WINEPREFIX=$prefix
[ -f "$WINEPREFIX/system.reg" ] || "$scripts/wine-prefix.sh" "$WINEPREFIX" >/dev/null
folder="$WINEPREFIX/drive_c/Program Files/Common Files/MTS-ESP"
library="$folder/LIBMTS.dll"
place='C:\Program Files\Common Files\MTS-ESP\LIBMTS.dll'  # as the program names it
work=$(mktemp -d /tmp/velmarin-cli-mtsesp.XXXXXX)
trap 'rm -rf "$work" "$folder"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# install DLL SESSION: the stand-in in MTS-ESP's place, no calls yet.
install() {
  mkdir -p "$folder" && cp "$1" "$library" && rm -f "$library.log" && printf "$2" >"$library.state"
}
start() {
  "$scripts/wine-run.sh" "$cli" mts-esp "$@" >out 2>err </dev/null &
  pid=$!
}
running() { local state; state=$(ps -o stat= -p "$pid") && [[ $state != Z* ]]; }
# said TEXT: TEXT is on its standard output within a minute, while it runs.
said() {
  for _ in $(seq 600); do
    grep -qF -- "$1" out && return 0
    running || break
    sleep 0.1
  done
  grep -qF -- "$1" out || fail "'$1' not said: $(cat out err)"
}
# ends STATUS DESCRIPTION: it ends within a minute, with STATUS.
ends() {
  for _ in $(seq 600); do running || break; sleep 0.1; done
  running && { fail "$2: still running after a minute"; kill -KILL "$pid"; }
  wait "$pid"
  local status=$?
  [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1: $(cat err)"
}
# stop STATUS DESCRIPTION: Ctrl+C, then ends.
stop() {
  kill -INT "$pid"
  ends "$@"
}
calls() { grep -v '^MTS_GetNumClients$' "$library.log" | cut -d' ' -f1 | tr '\n' ' '; }

start --temperament werckmeister3
ends 1 "no library"
grep -qF "velmarin-cli: MTS-ESP is not installed: $place not found" err || fail "the place of the library not named: $(cat err)"

# Werckmeister III on D at A4 = 415 Hz; the keys as MtsEspKeyTableTest
# calculates them.
install "$whole" 'clients=0\n'
start --temperament werckmeister3 --tonic D --a4 415
said "MTS-ESP master: Werckmeister III, 0 clients connected; Ctrl+C ends"
printf 'master=1\nclients=2\n' >"$library.state"
said "MTS-ESP master: Werckmeister III, 2 clients connected"
stop 0 "Ctrl+C"
expected="MTS_HasMaster MTS_RegisterMaster MTS_SetNoteTunings MTS_ClearNoteFilter MTS_SetScaleName MTS_SetPeriodRatio"
expected="$expected MTS_SetMapSize MTS_SetMapStartKey MTS_SetRefKey MTS_DeregisterMaster "
[ "$(calls)" = "$expected" ] || fail "the calls: $(calls)"
grep -qx 'MTS_SetScaleName Werckmeister III' "$library.log" || fail "the scale name: $(grep Name "$library.log")"
grep '^MTS_SetNoteTunings' "$library.log" | awk '{
  split("0 7.6938686039 60 246.2037953247 69 414.0637778208 127 11817.7821755854", want)
  for (i = 1; i < 8; i += 2) {
    got = $(want[i] + 2)
    if (NF != 129 || (got - want[i + 1]) ^ 2 > (want[i + 1] * 1e-9) ^ 2) { print "key " want[i] ": " got; bad = 1 }
  }
  exit bad }' || fail "the keys published"
grep -q 'master=0' "$library.state" || fail "the session kept a master: $(cat "$library.state")"

# refused SESSION CALLS TEXT: with a master in the session, it ends at once
# saying TEXT, the library having got CALLS alone.
refused() {
  install "$whole" "$1"
  start --temperament werckmeister3
  ends 1 "$3"
  grep -qF -- "velmarin-cli: $3" err || fail "$3 not said: $(cat err)"
  [ "$(calls)" = "$2" ] || fail "calls with $1: $(calls)"
}
refused 'master=1\n' "MTS_HasMaster MTS_HasIPC " "another MTS-ESP master holds the session; close it first"
refused 'master=1\nipc=1\n' "MTS_HasMaster MTS_HasIPC " \
  "an MTS-ESP master holds the session, perhaps one left behind by a program that crashed; close the other master, or give --reset to take its place"
install "$whole" 'master=1\nipc=1\n'
start --temperament werckmeister3 --reset
said "Ctrl+C ends"
stop 0 "--reset"
expected="MTS_HasMaster MTS_HasIPC MTS_Reinitialize MTS_HasMaster MTS_RegisterMaster MTS_SetNoteTunings"
[ "$(calls | cut -d' ' -f1-6)" = "$expected" ] || fail "the calls with --reset: $(calls)"

# Something there that is not MTS-ESP: the path named, with the reason.
echo "MTS-ESP" >not-a-library
for row in "not-a-library:cannot be loaded: " "$nomaster:lacks the calls of a master; install MTS-ESP again"; do
  install "${row%%:*}" ''
  start --temperament werckmeister3
  ends 1 "${row#*:}"
  grep -qF "velmarin-cli: MTS-ESP: $place ${row#*:}" err || fail "${row#*:}: $(cat err)"
  grep -q 'system error' err && fail "a bare error number instead of the system's text: $(cat err)"
done

# A library without the calls later versions added: the keys and the name.
install "$old" ''
start --scl "$fixtures/scl/19edo.scl"
said "MTS-ESP master: 19 equal divisions of the octave, 0 clients connected; Ctrl+C ends"
stop 0 "the old library"
expected="MTS_HasMaster MTS_RegisterMaster MTS_SetNoteTunings MTS_SetScaleName MTS_DeregisterMaster "
[ "$(calls)" = "$expected" ] || fail "the old library's calls: $(calls)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "velmarin-cli mts-esp: all checks passed"
