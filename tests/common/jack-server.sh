# Sourced by the checks that run a JACK server of their own.

# stop PID: SIGTERM, then SIGKILL after 10 s.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

# until_within SECONDS COMMAND...: true once COMMAND succeeds, false after SECONDS.
until_within() {
  local tenths=$(($1 * 10))
  shift
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# server_up SERVER: the JACK server of that name is running.
server_up() { [ "$(timeout 5 jack_wait -s "$1" -c 2>/dev/null)" = running ]; }

# remove_server_files SERVER: what a killed server leaves in /dev/shm.
remove_server_files() { rm -f /dev/shm/jack_sem.*_"$1"_*; }

# start_server SERVER LOG PERIOD [JACKD OPTION...]: a JACK server of that
# name on the dummy driver, 48 kHz, PERIOD frames a cycle, its output in LOG
# and its process id in jackd_pid. False, with the log shown, when it is not
# up within 15 s.
start_server() {
  local name=$1 log=$2 period=$3
  shift 3
  jackd --no-realtime --sync -t 5000 "$@" -n "$name" -d dummy -C 0 -P 0 -r 48000 -p "$period" >"$log" 2>&1 &
  jackd_pid=$!
  until_within 15 server_up "$name" && return 0
  echo "FAIL: the JACK server did not start"
  sed 's/^/  jackd: /' "$log"
  return 1
}
