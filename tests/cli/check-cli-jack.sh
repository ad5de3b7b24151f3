#!/usr/bin/env bash
# The native velmarin-cli's ports and send through RtMidi: first with no MIDI
# system reachable (ports lists nothing and says why), then to a JACK server
# of the test's own (the dummy driver, under a private name) with
# jack_midi_dump receiving. Each dialect and form is sent, and the bytes
# received must be the listing that build prints (the SysEx, then the
# program select of the key-based forms) and hold the .syx that build writes.
# The server is stopped by its process id, whatever happens. Exit 77
# (skipped) without jackd or jack_midi_dump.
# Usage: check-cli-jack.sh CLI
set -uo pipefail
cli=$(realpath "$1")
for tool in jackd jack_midi_dump jack_wait; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
server=velmarin-test-$$
export JACK_DEFAULT_SERVER=$server JACK_NO_START_SERVER=1
work=$(mktemp -d /tmp/velmarin-cli-jack.XXXXXX)
jackd_pid='' dump_pid='' hog_pid=''
# shellcheck source=../common/jack-server.sh
. "$(dirname "$0")/../common/jack-server.sh"
# The server first: it lets its clients go at once, where a client killed
# first keeps the server waiting for it for a minute.
cleanup() {
  [ -n "$jackd_pid" ] && stop "$jackd_pid"
  [ -n "$dump_pid" ] && stop "$dump_pid"
  [ -n "$hog_pid" ] && stop "$hog_pid"
  rm -rf "$work"
  remove_server_files "$server"
}
trap cleanup EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() {
  timeout 30 "$cli" "$@" >out 2>err
  status=$?
}
expect() {
  if [ "$status" -ne "$1" ]; then
    fail "$2: exit status $status, expected $1"
    sed 's/^/  stderr: /' err
  fi
}

if [ -e /dev/snd/seq ]; then
  echo "note: this machine has an ALSA sequencer; ports without a MIDI system not checked"
else
  run ports
  expect 0 "ports without a MIDI system"
  [ -s out ] && fail "ports without a MIDI system listed: $(head -c 200 out)"
  [ "$(wc -l <err)" -eq 1 ] || fail "ports without a MIDI system: $(wc -l <err) lines on stderr: $(cat err)"
  grep -q '^velmarin-cli: no MIDI output ports: ALSA: .*Jack: .*not running' err ||
    fail "ports without a MIDI system says: $(cat err)"
  run send --temperament equal --format gs --parts 1 --port 0
  expect 1 "send without a MIDI system"
fi

# Synchronous, so that a slow receiver on a busy machine loses nothing; no
# audio ports, and room for two MIDI ports only: the receiver's and
# velmarin-cli's (a third client's port makes velmarin-cli's open fail).
start_server "$server" jackd.log 1024 --port-max 3 || exit 1
# Line-buffered, so that each send's lines are there once it ends.
stdbuf -oL jack_midi_dump velmarin-recv >>dump 2>dump.err &
dump_pid=$!
receiver_listed() { timeout 10 "$cli" ports 2>/dev/null | grep -q $'\tvelmarin-recv:input$'; }
if ! until_within 15 receiver_listed; then
  fail "velmarin-cli ports does not list jack_midi_dump's port"
  timeout 10 "$cli" ports
  exit 1
fi
run ports
expect 0 "ports"
port=$(awk -F '\t' '$2 == "velmarin-recv:input" { print $1 }' out)

hex() { tr 'A-F\r' 'a-f ' | tr -s ' \n' '\n' | grep -v '^$'; }
# The bytes of the dump's lines after line $1: "TIME: HEX... [words]".
received() {
  tail -n +"$(($1 + 1))" dump | awk '{ for (i = 2; i <= NF && $i ~ /^[0-9a-f][0-9a-f]$/; i++) print $i }'
}
sysex_only() { awk '/^f0$/ { on = 1 } on { print } /^f7$/ { on = 0 }'; }

# Each form: its source options and the port, by number or by name.
while read -r name target source; do
  # shellcheck disable=SC2086 # the source's words
  timeout 30 "$cli" build $source >listing 2>err || fail "$name: build: $(cat err)"
  # shellcheck disable=SC2086
  timeout 30 "$cli" build $source -o "$name.syx" 2>err || fail "$name: build -o: $(cat err)"
  [ "$target" = number ] && to=$port || to=velmarin-recv:input
  hex <listing >expected
  got_all() { [ "$(received "$before" | wc -l)" -ge "$(wc -l <expected)" ]; }
  # On a loaded machine JACK's dummy cycle can fall so far behind that the
  # last messages are still in RtMidi's buffer when velmarin-cli closes the
  # port, and are lost with it; one more send tells that from a wrong byte,
  # which comes out the same every time.
  for attempt in 1 2; do
    before=$(wc -l <dump)
    # shellcheck disable=SC2086
    run send $source --port "$to" --pause 1
    expect 0 "send $name to port $to"
    until_within 5 got_all
    received "$before" >got
    cmp -s expected got && break
    [ "$attempt" = 1 ] && echo "note: $name: $(wc -l <got) of $(wc -l <expected) bytes arrived; sending again"
  done
  cmp -s expected got || fail "$name: received $(wc -l <got) bytes, not the listing's $(wc -l <expected): $(head -c 120 got | tr '\n' ' ')"
  od -An -v -tx1 "$name.syx" | hex >syx
  sysex_only <got | cmp -s syx - || fail "$name: the SysEx received is not $name.syx"
done <<'EOF'
gs number --temperament werckmeister3 --tonic D --format gs --parts 1-2,10
xg name --temperament vallotti --format xg --parts 2-3
gm2 number --offsets 0,-10,-8,-6,-10,-2,-12,-4,-8,-12,-4,-8 --format gm2 --parts all
gm2-2byte name --temperament kirnberger3 --format gm2-2byte --parts 1,16
mts-note number --temperament werckmeister3 --format mts-note --parts 1-2 --program 5
mts-bulk name --temperament meantone-1/4 --format mts-bulk --parts 3 --program 127
EOF
[ "$(grep -c . dump)" -gt 0 ] || fail "jack_midi_dump received nothing: $(cat dump.err)"

# --pause is kept: three GS messages with 300 ms between them take 600 ms at least.
start=$(date +%s%N)
run send --temperament equal --format gs --parts 1-3 --port "$port" --pause 300
expect 0 "send with --pause 300"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed_ms" -ge 600 ] || fail "three messages with --pause 300 took $elapsed_ms ms"

run send --temperament equal --format gs --parts 1 --port 'velmarin-recv:nothing'
expect 1 "send to a port that is not there"

# A port JACK cannot make: the failure in JACK's words, and exit status 1.
jack_midi_dump velmarin-hog >/dev/null 2>&1 &
hog_pid=$!
hog_listed() { timeout 10 "$cli" ports 2>/dev/null | grep -q $'\tvelmarin-hog:input$'; }
until_within 15 hog_listed || fail "the second receiver is not listed"
run send --temperament equal --format gs --parts 1 --port velmarin-recv:input
expect 1 "send when JACK has no room for another port"
grep -q "^velmarin-cli: MIDI output device [0-9]* (velmarin-recv:input) could not be opened: JACK error creating port" err ||
  fail "the open failure says: $(cat err)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "velmarin-cli ports and send through JACK: all checks passed"
