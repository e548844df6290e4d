#!/usr/bin/env bash
# The real viewer under Openbox on Xvfb, driven by xdotool's real keys and
# clicks: a message box comes up on top with the keyboard; Return closes the
# one about a missing film, a click on OK the one that Settings raises.
# Usage: openbox_test.sh PLEXO PLEXO_TOOL DRIVER_FOLDER
set -euo pipefail
source "$(dirname "$0")/../support/x_server.sh"
x_begin openbox Xvfb openbox xdotool xprop xwininfo import convert
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 || true; exit 1; }
unset PLEXO_SETTINGS_FILE && export XDG_CONFIG_HOME=$work/config && mkdir -p "$XDG_CONFIG_HOME/plexo"
"$2" demo "$work/demo.flm" >/dev/null || fail "plexo-tool demo"
x_start Xvfb -screen 0 1024x768x24 -nolisten tcp
openbox --sm-disable >"$work/openbox.log" 2>&1 &  # ends with the server
root_is() { [ "$(xprop -root "$1" 2>/dev/null | sed 's/.*# //; s/.*, //')" = "$(printf '0x%x' "$2")" ]; }
on_top() { root_is _NET_CLIENT_LIST_STACKING "$1" && root_is _NET_ACTIVE_WINDOW "$1"; }
gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
until_true eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"

"$1" "$work/missing.flm" >"$work/plexo.log" 2>&1 &
plexo_pid=$!
box=$(x_wait_window Plexo)
until_true on_top "$box" || fail "the box is not above the main window"
xdotool key Return
until_true gone "$box" || fail "Return did not close the box"
x_stop_plexo

"$1" "$work/demo.flm" >"$work/plexo.log" 2>&1 &
plexo_pid=$!
until_true on_top "$(x_wait_window "demo.flm - Plexo")" || fail "the main window has no keyboard"
xdotool key alt+i e
settings=$(x_wait_window Settings)
# Frames/sec is the eighth stop of the Tab chain, after each slider's edit.
until_true on_top "$settings" && xdotool key Tab Tab Tab Tab Tab Tab Tab Tab ctrl+a type fast && xdotool key Return
box=$(x_wait_window Plexo)
until_true on_top "$box" || fail "the box is not above Settings"
eval "$(xdotool getwindowgeometry --shell "$box")"  # OK lies at its bottom right
xdotool mousemove --sync $((X + WIDTH - 52)) $((Y + HEIGHT - 43)) click 1
until_true gone "$box" || fail "a click on OK did not close the box"
until_true on_top "$settings" && xdotool type 12 && xdotool key Return
until_true gone "$settings" || fail "Settings did not take 12"
x_stop_plexo
grep -q '^Frames/sec=12.0' "$XDG_CONFIG_HOME/plexo/duvix.ini" || fail "the rate was not kept"

# Page flipping: the main window, on top while it flips, stays under the eyes.
printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$3" >"$work/registry.ini" && printf '[Settings]\nRed-Blue=0\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
PLEXO_REGISTRY=$work/registry.ini PLEXO_FLIP_OUTPUT=x11 "$1" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
plexo_pid=$!
until_true eval 'xdotool search --onlyvisible --name "^demo.flm - Plexo$" getwindowgeometry %@ | grep -q 1024x768'
lit() { [ "$(import -window root -crop 120x80+452+344 png:- | convert - -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" != 0 ]; }
until_true eval 'lit && lit && lit && lit && lit' || fail "page flipping shows nothing at the screen's centre"
x_stop_plexo
echo "PASS"
