#!/usr/bin/env bash
# The play-through worker on JACK: a server of the check's own (the dummy
# driver, 128 frames a period at 48 kHz, under a private name), and
# jack_play_probe sending every kind of message through Velmarin's
# pass-through worker (RtMidi's JACK input and output) to its receiver. The
# bytes must come through as sent; the latency each note-on gains against a
# direct connection is printed, not judged (a figure for the lead).
#
# Another front end's check (velmarin-cli playing through, later) runs the
# same probe with --through IN_PORT OUT_PORT against its ports; see the
# probe's header (tools/jack_play_probe.cpp).
# The server is stopped by its process id, whatever happens. Exit 77
# (skipped) without jackd. PROBE_PRELOAD, where set, is preloaded into the
# probe alone (tests/play/jack_close_overlap.cpp).
# Usage: check-play-jack.sh PROBE [PROBE OPTIONS...]
set -uo pipefail
probe=$(realpath "$1")
shift
for tool in jackd jack_wait; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
# shellcheck source=../common/jack-server.sh
. "$(dirname "$0")/../common/jack-server.sh"
server=velmarin-play-$$
export JACK_DEFAULT_SERVER=$server JACK_NO_START_SERVER=1
log=$(mktemp /tmp/velmarin-play-jack.XXXXXX)
jackd_pid=''
cleanup() {
  [ -n "$jackd_pid" ] && stop "$jackd_pid"
  rm -f "$log"
  remove_server_files "$server"
}
trap cleanup EXIT

start_server "$server" "$log" 128 || exit 1
if [ $# -eq 0 ]; then set -- --worker; fi
env ${PROBE_PRELOAD:+LD_PRELOAD="$PROBE_PRELOAD"} timeout 120 "$probe" "$@"
status=$?
[ "$status" -eq 0 ] || echo "FAIL: jack_play_probe exited with status $status"
exit "$status"
