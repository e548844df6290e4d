#!/usr/bin/env bash
# Drops the demo film on the real viewer through XDND under Xvfb: a small Qt
# drag source starts the drag, xdotool moves the pointer with the X test
# extension, and the viewer must load the film (it then heads the recent
# films written at the end).
# Usage: xdnd_test.sh PLEXO PLEXO_TOOL DRAG_SOURCE
set -euo pipefail
plexo=$1
tool=$2
source_program=$3
for program in Xvfb xdotool; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done

source "$(dirname "$0")/../support/x_server.sh"
x_begin xdnd
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 || true; exit 1; }

export XDG_CONFIG_HOME=$work/config PLEXO_SETTINGS_FILE=$work/config/duvix.ini
mkdir -p "$XDG_CONFIG_HOME"
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"
printf '[View]\nGeometry=300 100 524 584\n' >"$PLEXO_SETTINGS_FILE"

x_start Xvfb -screen 0 1024x768x24 -nolisten tcp

"$plexo" >"$work/plexo.log" 2>&1 &
plexo_pid=$!
# The source ends by itself once the drop is over, or with the server.
"$source_program" "$work/demo.flm" >"$work/source.log" 2>&1 &
x_wait_window "Untitled - Plexo" >/dev/null
x_wait_window "drag source" >/dev/null

xdotool mousemove --sync 60 60 mousedown 1
for x in 80 120 200 300 400 500 560; do
  xdotool mousemove --sync "$x" $((x / 2 + 200))
  sleep 0.2
done
xdotool mouseup 1
for _ in $(seq 100); do grep -q '^drop:' "$work/source.log" && break; sleep 0.1; done
grep -q '^drop: copied' "$work/source.log" || fail "the viewer did not take the drop"

x_stop_plexo
grep -qx "File1=$work/demo.flm" "$PLEXO_SETTINGS_FILE" || fail "the dropped film was not loaded: $(cat "$PLEXO_SETTINGS_FILE")"
echo PASS
