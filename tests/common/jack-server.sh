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
