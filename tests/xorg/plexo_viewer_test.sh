#!/usr/bin/env bash
# The real viewer on Xorg with the dummy driver, whose display modes switch.
# The output starts at 1280 x 1024, 60 Hz, a rate other than the first that
# the output lists at that size. Then: the mode switched under the flipping
# viewer and put back on leaving stereo, rate included; SIGTERM while
# flipping, which must end with status 0, the start-up mode and the window's
# former place written; a switch to 1280 x 720 through the Screen dialog kept
# with OK, and the start-up mode back after SIGHUP (an orderly end), SIGKILL
# and SIGABRT (the guardian's work); and with a second output enabled, the
# window on it, a switch there after stereo on and off, put back at exit.
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
# "WxH@RATE" of the output's mode now, the rate as xrandr prints it.
output_mode() {
  xrandr | awk -v o="$1" '/^[^ ]/ {on = $1 == o} on {for (i = 2; i <= NF; i++) if ($i ~ /\*/) {print $1 "@" substr($i, 1, index($i, "*") - 1); exit}}'
}
# Evaluates the test until it holds, for ten seconds at most.
eventually() { for _ in $(seq 100); do eval "$1" && return 0; sleep 0.1; done; return 1; }
focus_window() { xdotool windowfocus --sync "$(x_wait_window "$1")"; }
shot() { [ -n "${PLEXO_SCREENSHOTS:-}" ] && import -window root "$PLEXO_SCREENSHOTS/$1.png" || true; }
window_width() {
  local id
  id=$(xdotool search --onlyvisible --name '^demo.flm - Plexo$' 2>/dev/null | tail -n1 || true)
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | sed -n 's/.*Width: //p' || true
}
settings() { printf '[Settings]\nRed-Blue=0\n[View]\nGeometry=%s\n' "$1" >"$XDG_CONFIG_HOME/plexo/duvix.ini"; }

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"
settings "100 80 640 480"
printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$driver" >"$work/registry.ini"
export PLEXO_REGISTRY=$work/registry.ini
export LIBGL_ALWAYS_SOFTWARE=1
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"
# SIGABRT ends the viewer below; no core file is wanted of it.
ulimit -c 0

x_start Xorg -nolisten tcp -config "$config" -logfile "$work/xorg.log"
output=$(xrandr | awk '/ connected/ {print $1; exit}')
xrandr --output "$output" --mode 1280x1024 --rate 60
start=$(output_mode "$output")
[ "$start" = 1280x1024@60.02 ] || fail "Xorg did not switch to 1280x1024 at 60 Hz ($start)"

# Starts the viewer flipping the demo film and waits until its window is as
# wide as the output it is on (WIDTH). While the window is made anew, a
# search may find none for a moment.
start_flipping() {
  "$plexo" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
  plexo_pid=$!
  eventually "[ \"\$(window_width)\" = $1 ]" || fail "the window does not cover the output"
}

start_flipping 1280
xrandr --output "$output" --mode 1280x720
kill -0 "$plexo_pid" 2>/dev/null || fail "the viewer ended when the mode changed"
# Without a window manager the main window is given the keyboard by hand.
focus_window "demo.flm - Plexo"
xdotool key Escape
eventually '[ "$(output_mode "$output")" = "$start" ]' ||
  fail "leaving stereo did not put back $start (now $(output_mode "$output"))"
eventually '[ "$(window_width)" = 640 ]' || fail "leaving stereo did not put the window back (width $(window_width))"
x_stop_plexo

# SIGTERM while flipping: the viewer leaves flipping, stops the driver before
# unloading it and writes the window's former place, not the full screen.
start_flipping 1280
x_stop_plexo
[ "$(output_mode "$output")" = "$start" ] || fail "the output shows $(output_mode "$output") after SIGTERM, not $start"
grep -q '^Geometry=100 80 640 480$' "$XDG_CONFIG_HOME/plexo/duvix.ini" ||
  fail "the window's former place was not restored: $(grep Geometry "$XDG_CONFIG_HOME/plexo/duvix.ini")"

"$tool" modes >"$work/modes"
# The entry of LABEL in the Screen dialog's list, counted from 1.
entry() { grep -n "^$1\$" "$work/modes" | head -n1 | cut -d: -f1; }
wide=$(entry "32 bits 1280 by 720 pixels 60 Hz")
[ -n "$wide" ] || fail "plexo-tool modes lists no 1280 by 720 at 60 Hz"

# Switches the output under the window (TITLE) to ENTRY in the Screen dialog,
# keeps it with OK and closes the dialog.
switch_in_screen_dialog() {
  focus_window "$1"
  xdotool key alt+s
  focus_window Screen
  shot screen
  # Home selects the first entry.
  xdotool key Home
  [ "$2" -gt 1 ] && xdotool key --repeat $(($2 - 1)) Down
  xdotool key Return
  focus_window "Monitor settings"
  shot monitor-settings
  # Cancel is the default button; OK is one Tab away.
  xdotool key Tab space
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Monitor settings$' >/dev/null || break
    sleep 0.1
  done
  focus_window Screen
  xdotool key Escape
}

# SIGHUP, as closing the terminal sends, ends the viewer as SIGTERM does;
# SIGKILL and SIGABRT leave the restore to the guardian.
for signal in HUP KILL ABRT; do
  "$plexo" >"$work/plexo.log" 2>&1 &
  plexo_pid=$!
  switch_in_screen_dialog "Untitled - Plexo" "$wide"
  [ "$(output_mode "$output")" = 1280x720@60.00 ] || fail "OK did not keep 1280x720 ($(output_mode "$output"))"
  if [ $signal = HUP ]; then x_stop_plexo HUP; else kill -$signal "$plexo_pid"; wait "$plexo_pid" || plexo_pid=""; fi
  eventually '[ "$(output_mode "$output")" = "$start" ]' || fail "$start was not put back after SIG$signal"
done

# A second output right of the first, with the window on it: stereo on and
# off gives the window a new native window, and the Screen dialog must still
# switch the output under it; exit puts that output back, the first untouched.
# Asking xrandr also has the server list the new output's modes.
xrandr --addmode DUMMY1 1024x768
xrandr --output DUMMY1 --mode 1024x768 --right-of "$output"
[ "$(output_mode DUMMY1)" = 1024x768@60.00 ] || fail "the second output shows $(output_mode DUMMY1)"
settings "1480 100 640 480"
start_flipping 1024
focus_window "demo.flm - Plexo"
xdotool key Escape
eventually '[ "$(window_width)" = 640 ]' || fail "leaving stereo on the second output did not put the window back"
switch_in_screen_dialog "demo.flm - Plexo" "$(entry "32 bits 800 by 600 pixels 75 Hz")"
[ "$(output_mode DUMMY1)" = 800x600@75.01 ] || fail "the dialog did not switch the window's output"
x_stop_plexo
[ "$(output_mode DUMMY1) $(output_mode "$output")" = "1024x768@60.00 $start" ] ||
  fail "exit left $(output_mode DUMMY1) and $(output_mode "$output"), not 1024x768@60.00 and $start"
echo "PASS"
