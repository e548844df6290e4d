# Sourced by the scripts that drive the real viewer on an X server: a scratch
# folder, a clean-up that stops what was started by its process id, and a
# server on a free display number, waiting for a window, and ending the
# viewer. The script defines fail() itself.

# x_begin NAME PROGRAM...: skips the test (status 0) when one of the programs
# is missing; otherwise makes $work and arms the clean-up of $plexo_pid and
# the server.
x_begin() {
  local name=$1 program
  shift
  for program in "$@"; do
    command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
  done
  work=$(mktemp -d "/tmp/plexo-$name-XXXXXX")
  server_pid=""
  plexo_pid=""
  trap x_cleanup EXIT
}

x_cleanup() {
  [ -n "$plexo_pid" ] && kill "$plexo_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "${PLEXO_KEEP:-}" ] || rm -rf "$work"
}

# x_start SERVER ARGS...: the server picks a free display and tells its number
# on descriptor 3 once it accepts clients; Qt then talks to it through xcb.
# It never resets: a server that resets when its last client leaves drops
# the next viewer's connection if that comes in before it has noticed.
x_start() {
  "$@" -noreset -displayfd 3 3>"$work/display" >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "$1 did not start ($(tail -n5 "$work/server.log" 2>/dev/null))"
  export DISPLAY=":$(head -n1 "$work/display")"
  export QT_QPA_PLATFORM=xcb
  # Qt and the X libraries keep caches to the end of the process; they are not ours.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
}

# until_true COMMAND...: asks again every tenth of a second, for up to twenty
# seconds, until COMMAND succeeds. A check of what the server shows is never
# trusted once: a window seen can be gone by the next request, and xdotool
# fails a whole search with BadWindow when another window goes away during it.
until_true() { for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done; return 1; }

# x_wait_window TITLE: waits for a shown window with exactly this title and
# prints its id. A search can fail with BadWindow when another window goes
# away meanwhile, so it is asked again rather than trusted once.
x_wait_window() {
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || fail "no window '$1'"
  echo "$id"
}

# x_stop_plexo [SIGNAL]: ends the viewer with SIGTERM, as the session's end
# does (or with SIGNAL, which must end it as orderly), and fails unless it
# ends at once with status 0.
x_stop_plexo() {
  local signal=${1:-TERM}
  kill -"$signal" "$plexo_pid"
  for _ in $(seq 100); do kill -0 "$plexo_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$plexo_pid" 2>/dev/null && fail "the viewer did not end on SIG$signal"
  wait "$plexo_pid" || fail "the viewer ended with status $? ($(cat "$work/plexo.log"))"
  plexo_pid=""
}
