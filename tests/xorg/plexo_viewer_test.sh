#!/usr/bin/env bash
# The real viewer on Xorg with the dummy driver, whose display modes switch:
# the mode switched under the flipping viewer and put back on leaving stereo;
# SIGTERM while flipping, which must end with status 0, the start-up mode and
# the window's former place written; a switch to 1280 x 720 through the
# Screen dialog kept with OK, and the start-up mode back after SIGTERM.
# Usage: plexo_viewer_test.sh PLEXO PLEXO_TOOL XORG_CONFIG DRIVER_FOLDER
#   (PLEXO_SCREENSHOTS=DIR keeps shots of both dialogs)
set -euo pipefail
plexo=$1
tool=$2
config=$3
driver=$4
source "$(dirname "$0")/../support/x_server.sh"
x_begin xorg Xorg xrandr xdotool xwininfo
fail() { echo "FAIL: $*" >&2; cat "$work/plexo.log" >&2 || true; exit 1; }
# "WxH" of the screen now.
screen_size() { xrandr | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
focus_window() { xdotool windowfocus --sync "$(x_wait_window "$1")"; }
shot() { [ -n "${PLEXO_SCREENSHOTS:-}" ] && import -window root "$PLEXO_SCREENSHOTS/$1.png" || true; }
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

# Starts the viewer flipping the demo film and waits until its window covers
# the screen.
start_flipping() {
  "$plexo" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
  plexo_pid=$!
  for _ in $(seq 200); do
    [ "$(window_width)" = "${start%x*}" ] && return 0
    sleep 0.1
  done
  fail "the window does not cover the screen"
}

start_flipping
xrandr --output "$(xrandr | awk '/ connected/ {print $1; exit}')" --mode 1280x720
[ "$(screen_size)" = 1280x720 ] || fail "xrandr did not switch to 1280x720"
kill -0 "$plexo_pid" 2>/dev/null || fail "the viewer ended when the mode changed"
# Without a window manager the main window is given the keyboard by hand.
focus_window "demo.flm - Plexo"
xdotool key Escape
for _ in $(seq 100); do [ "$(screen_size)" = "$start" ] && break; sleep 0.1; done
[ "$(screen_size)" = "$start" ] || fail "leaving stereo did not put back $start (screen is $(screen_size))"
[ "$(window_width)" = 640 ] || fail "leaving stereo did not put the window back (width $(window_width))"
x_stop_plexo

# SIGTERM while flipping: the viewer leaves flipping, stops the driver before
# unloading it and writes the window's former place, not the full screen.
start_flipping
x_stop_plexo
[ "$(screen_size)" = "$start" ] || fail "the screen is $(screen_size) after SIGTERM, not $start"
grep -q '^Geometry=100 80 640 480$' "$XDG_CONFIG_HOME/plexo/duvix.ini" ||
  fail "the window's former place was not restored: $(grep Geometry "$XDG_CONFIG_HOME/plexo/duvix.ini")"

"$tool" modes >"$work/modes"
target=$(grep -n '^32 bits 1280 by 720 pixels 60 Hz$' "$work/modes" | cut -d: -f1)
[ -n "$target" ] || fail "plexo-tool modes lists no 1280 by 720 at 60 Hz"
"$plexo" >"$work/plexo.log" 2>&1 &
plexo_pid=$!
focus_window "Untitled - Plexo"
xdotool key alt+s
focus_window Screen
shot screen
# Home selects the first entry; the list counts from 1 here.
xdotool key Home
[ "$target" -gt 1 ] && xdotool key --repeat $((target - 1)) Down
xdotool key Return
focus_window "Monitor settings"
shot monitor-settings
[ "$(screen_size)" = 1280x720 ] || fail "Apply left the screen at $(screen_size)"
# Cancel is the default button; OK is one Tab away.
xdotool key Tab space
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Monitor settings$' >/dev/null || break
  sleep 0.1
done
[ "$(screen_size)" = 1280x720 ] || fail "OK did not keep 1280x720 (screen is $(screen_size))"
focus_window Screen
xdotool key Escape
x_stop_plexo
[ "$(screen_size)" = "$start" ] || fail "the start-up mode $start was not put back (screen is $(screen_size))"
echo "PASS"
