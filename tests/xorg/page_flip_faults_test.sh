#!/usr/bin/env bash
# Faults while the real viewer flips pages on Xorg with the dummy driver: the
# display switched to another mode under it, and SIGTERM.
# Usage: page_flip_faults_test.sh PLEXO PLEXO_TOOL XORG_CONFIG DRIVER_FOLDER
set -euo pipefail
plexo=$1
tool=$2
config=$3
driver=$4
for program in Xorg xrandr xdotool xwininfo; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done

source "$(dirname "$0")/../support/x_server.sh"
x_begin flip-faults
fail() { echo "FAIL: $*" >&2; cat "$work/plexo.log" >&2 || true; exit 1; }
screen_size() { xrandr | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
window_width() {
  local id
  id=$(xdotool search --onlyvisible --name '^demo.flm - Plexo$' 2>/dev/null | tail -n1 || true)
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | sed -n 's/.*Width: //p' || true
}

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"
printf '[Settings]\nRed-Blue=0\n[View]\nGeometry=100 80 640 480\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$driver" >"$work/registry.ini"
export PLEXO_REGISTRY=$work/registry.ini
export LIBGL_ALWAYS_SOFTWARE=1
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"

x_start Xorg -noreset -nolisten tcp -config "$config" -logfile "$work/xorg.log"
start=$(screen_size)
[ "$start" != 1280x720 ] || fail "Xorg started in 1280x720 already"
output=$(xrandr | awk '/ connected/ {print $1; exit}')

# Waits until the viewer's window covers the screen (yes) or no longer does (no).
wait_covering() {
  local want=$1 now
  for _ in $(seq 200); do
    now=no
    [ "$(window_width)" = "${start%x*}" ] && now=yes
    [ "$now" = "$want" ] && return 0
    sleep 0.1
  done
  return 1
}
# SIGTERM; the viewer must end with status 0.
terminate() {
  kill -TERM "$plexo_pid"
  for _ in $(seq 100); do kill -0 "$plexo_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$plexo_pid" 2>/dev/null && fail "the viewer did not end on SIGTERM $1"
  wait "$plexo_pid" || fail "the viewer ended with status $? on SIGTERM $1"
  plexo_pid=""
}

# The mode switched under the flipping viewer; leaving stereo puts back the
# mode found when flipping began, while the viewer still runs.
"$plexo" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
plexo_pid=$!
wait_covering yes || fail "the window does not cover the screen"
xrandr --output "$output" --mode 1280x720
[ "$(screen_size)" = 1280x720 ] || fail "xrandr did not switch to 1280x720"
kill -0 "$plexo_pid" 2>/dev/null || fail "the viewer ended when the mode changed"
# Without a window manager the main window is given the keyboard by hand.
for _ in $(seq 20); do
  xdotool search --onlyvisible --name '^demo.flm - Plexo$' windowfocus --sync key Escape 2>/dev/null && break
  sleep 0.2
done
for _ in $(seq 100); do [ "$(screen_size)" = "$start" ] && break; sleep 0.1; done
[ "$(screen_size)" = "$start" ] || fail "leaving stereo did not put back $start (screen is $(screen_size))"
[ "$(window_width)" = 640 ] || fail "leaving stereo did not put the window back (width $(window_width))"
terminate "after stereo"

# SIGTERM while flipping: the viewer leaves flipping, stops the driver before
# unloading it and writes the window's former place, not the full screen.
"$plexo" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
plexo_pid=$!
wait_covering yes || fail "the window does not cover the screen the second time"
terminate "while flipping"
[ "$(screen_size)" = "$start" ] || fail "the screen is $(screen_size) after SIGTERM, not $start"
grep -q '^Geometry=100 80 640 480$' "$XDG_CONFIG_HOME/plexo/duvix.ini" ||
  fail "the window's former place was not restored: $(grep Geometry "$XDG_CONFIG_HOME/plexo/duvix.ini")"
echo "PASS"
