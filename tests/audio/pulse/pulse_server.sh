# Sourced by the scripts that play through a real sound server: a PulseAudio
# server of their own with a null sink, in a runtime folder of its own (it
# runs as root in CI), stopped by its process id.

# pulse_start WORK: starts the server with its files under WORK and exports
# what its clients need; the null sink's monitor is plexo_test.monitor.
pulse_start() {
  export XDG_RUNTIME_DIR="$1/runtime"
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  HOME="$1" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    -L module-native-protocol-unix -L "module-null-sink sink_name=plexo_test rate=48000" \
    >"$1/pulse.log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "pulseaudio did not start ($(tail -n3 "$1/pulse.log"))"
}

pulse_stop() {
  [ -n "${pulse_pid:-}" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  pulse_pid=""
}
