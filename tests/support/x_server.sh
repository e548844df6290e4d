# Sourced by the scripts that drive the real viewer on an X server: a scratch
# folder, a clean-up that stops what was started by its process id, and a
# server on a free display number. The script defines fail() itself.

# x_begin NAME: makes $work and arms the clean-up of $plexo_pid and the server.
x_begin() {
  work=$(mktemp -d "/tmp/plexo-$1-XXXXXX")
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
x_start() {
  "$@" -displayfd 3 3>"$work/display" >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "$1 did not start ($(tail -n5 "$work/server.log" 2>/dev/null))"
  export DISPLAY=":$(head -n1 "$work/display")"
  export QT_QPA_PLATFORM=xcb
  # Qt and the X libraries keep caches to the end of the process; they are not ours.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
}
