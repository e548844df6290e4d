#!/usr/bin/env bash
# The real viewer under a window manager (Openbox on Xvfb), driven by real
# input events through xdotool: a message box comes up above the window it
# concerns and takes the keyboard, and a click on OK or Return closes it.
# First a film named on the command line that does not exist; then "Please
# enter a number." from the Settings dialog, which blocks the main window.
# Usage: openbox_test.sh PLEXO PLEXO_TOOL
set -euo pipefail
plexo=$1
tool=$2
source "$(dirname "$0")/../support/x_server.sh"
x_begin openbox Xvfb openbox xdotool xprop xwininfo
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 || true; exit 1; }

unset PLEXO_SETTINGS_FILE
export XDG_CONFIG_HOME=$work/config
ini=$XDG_CONFIG_HOME/plexo/duvix.ini
mkdir -p "$XDG_CONFIG_HOME/plexo"
"$tool" demo "$work/demo.flm" >/dev/null || fail "plexo-tool demo"

x_start Xvfb -screen 0 1024x768x24 -nolisten tcp
# Openbox ends with the server.
openbox --sm-disable >"$work/openbox.log" 2>&1 &

# until COMMAND...: true once the command succeeds, within ten seconds.
until_true() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
  return 1
}
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
until_true managed || fail "openbox did not start"

hex() { printf '0x%x' "$1"; }
active() { [ "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')" = "$(hex "$1")" ]; }
# on_top WINDOW: the topmost of the manager's windows, with the keyboard.
on_top() {
  [ "$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/.*, //')" = "$(hex "$1")" ] && active "$1"
}
gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# click_ok BOX: the box's one button lies at its bottom right.
click_ok() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + WIDTH - 52)) $((Y + HEIGHT - 43)) click 1
}

"$plexo" "$work/missing.flm" >"$work/plexo.log" 2>&1 &
plexo_pid=$!
x_wait_window "Untitled - Plexo" >/dev/null
box=$(x_wait_window "Plexo")
until_true on_top "$box" || fail "the box about the missing film is not above the main window"
xdotool key Return
until_true gone "$box" || fail "Return did not close the box"
x_stop_plexo

"$plexo" "$work/demo.flm" >"$work/plexo.log" 2>&1 &
plexo_pid=$!
main=$(x_wait_window "demo.flm - Plexo")
until_true active "$main" || fail "the main window did not get the keyboard"
xdotool key alt+i e
settings=$(x_wait_window "Settings")
until_true on_top "$settings" || fail "Settings did not come up"
# Frames/sec is the sixth stop of the dialog's Tab chain.
xdotool key Tab Tab Tab Tab Tab Tab ctrl+a
xdotool type fast
xdotool key Return
box=$(x_wait_window "Plexo")
until_true on_top "$box" || fail "the box is not above the Settings dialog"
click_ok "$box"
until_true gone "$box" || fail "a click on OK did not close the box"
# The refused text stays selected in its field: Return refuses it again.
until_true active "$settings" || fail "Settings did not get the keyboard back"
xdotool key Return
box=$(x_wait_window "Plexo")
until_true on_top "$box" || fail "the second box is not above the Settings dialog"
xdotool key Return
until_true gone "$box" || fail "Return did not close the second box"
until_true active "$settings" || fail "Settings did not get the keyboard back"
xdotool type 12
xdotool key Return
until_true gone "$settings" || fail "OK did not close Settings"
x_stop_plexo
grep -q '^Frames/sec=12.000000' "$ini" || fail "the rate typed after the boxes was not kept: $(cat "$ini")"
echo "PASS"
