#!/usr/bin/env bash
# Starts the real viewer on Xorg with the dummy driver, switches the display
# to 1280 x 720 through the Screen dialog and keeps it with OK, ends the
# viewer with SIGTERM and checks that the start-up mode is back.
# Usage: plexo_restore_test.sh PLEXO PLEXO_TOOL XORG_CONFIG
#   (PLEXO_SCREENSHOTS=DIR keeps shots of both dialogs)
set -euo pipefail
plexo=$1
tool=$2
config=$3
for program in Xorg xrandr xdotool; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done

source "$(dirname "$0")/../support/x_server.sh"
x_begin xorg
fail() { echo "FAIL: $*" >&2; exit 1; }
# "WxH" of the screen now.
screen_size() { xrandr | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
focus_window() { xdotool windowfocus --sync "$(x_wait_window "$1")"; }
shot() { [ -n "${PLEXO_SCREENSHOTS:-}" ] && import -window root "$PLEXO_SCREENSHOTS/$1.png" || true; }

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE

x_start Xorg -noreset -nolisten tcp -config "$config" -logfile "$work/xorg.log"

start=$(screen_size)
[ "$start" != 1280x720 ] || fail "Xorg started in 1280x720 already"
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
