#!/usr/bin/env bash
# The real viewer under Xvfb, three times on one server. First with the demo film
# in red-blue stereo: a second film dropped on it through XDND (a small Qt
# drag source, the pointer moved by xdotool) loads, and SIGTERM ends it with
# its settings written. Then page-flipped stereo with the reference driver,
# through X shared memory (asked for by /stereo) and through Mesa's software
# OpenGL (chosen from View > Stereo Presentation): screenshots over a second
# find two different pictures at the view's centre (the two eyes).
# Usage: xvfb_test.sh PLEXO PLEXO_TOOL DRAG_SOURCE DRIVER_FOLDER
#        (PLEXO_SCREENSHOTS=FOLDER keeps the shots)
set -euo pipefail
plexo=$1
tool=$2
source_program=$3
driver=$4
source "$(dirname "$0")/../support/x_server.sh"
x_begin xvfb Xvfb import convert xdotool
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 || true; exit 1; }

unset PLEXO_SETTINGS_FILE
export XDG_CONFIG_HOME=$work/config
ini=$XDG_CONFIG_HOME/plexo/duvix.ini
mkdir -p "$XDG_CONFIG_HOME/plexo"
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"
cp "$work/demo.flm" "$work/dropped.flm"
# The window lies where the drag ends.
printf '[View]\nGeometry=300 100 524 584\n' >"$ini"

x_start Xvfb -screen 0 1024x768x24 -nolisten tcp +extension GLX

"$plexo" "$work/demo.flm" /stereo -play >"$work/plexo.log" 2>&1 &
plexo_pid=$!
x_wait_window "demo.flm - Plexo" >/dev/null

# The source ends by itself once the drop is over, or with the server.
"$source_program" "$work/dropped.flm" >"$work/source.log" 2>&1 &
x_wait_window "drag source" >/dev/null
xdotool mousemove --sync 60 60 mousedown 1
for x in 80 120 200 300 400 500 560; do
  xdotool mousemove --sync "$x" $((x / 2 + 200))
  sleep 0.2
done
xdotool mouseup 1
for _ in $(seq 100); do grep -q '^drop:' "$work/source.log" && break; sleep 0.1; done
grep -q '^drop: copied' "$work/source.log" || fail "the viewer did not take the drop"
# The drag source hears of the drop before the viewer has opened the film;
# the title names it once it has.
window=$(x_wait_window "dropped.flm - Plexo")

# Full screen with no window manager to honour the state covers the screen.
xdotool windowfocus --sync "$window" key F11
full_screen() { xdotool getwindowgeometry "$window" | tr '\n' ' ' | grep -q 'Position: 0,0 .*Geometry: 1024x768'; }
until_true full_screen || fail "full screen does not cover the screen"

x_stop_plexo
for key in "Current directory" "Frames/sec=15.000000" "Red-Blue=1" "Round=0" "Dist=21" "File1=$work/dropped.flm"; do
  grep -q "^$key" "$ini" || fail "settings file lacks '$key': $(cat "$ini")"
done

printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$driver" >"$work/registry.ini"
export PLEXO_REGISTRY=$work/registry.ini LIBGL_ALWAYS_SOFTWARE=1
# Only what the search printed counts: its status can be a failure from
# another window that went away meanwhile.
covers() {
  { xdotool search --onlyvisible --name '^demo.flm - Plexo$' getwindowgeometry %@ 2>/dev/null || true; } |
    grep -q 1024x768
}
# The crop at the screen's centre lies inside the picture.
crop=120x80+452+344
lit() { [ "$(import -window root -crop $crop png:- | convert - -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" != 0 ]; }
# Each page-flip output in turn.
for flip_output in x11 opengl; do
  if [ $flip_output = x11 ]; then
    printf '[Settings]\nRed-Blue=0\n' >"$ini"
    PLEXO_FLIP_OUTPUT=$flip_output "$plexo" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
    plexo_pid=$!
  else
    printf '[Settings]\nRed-Blue=1\n' >"$ini"
    PLEXO_FLIP_OUTPUT=$flip_output "$plexo" "$work/demo.flm" >"$work/plexo.log" 2>&1 &
    plexo_pid=$!
    # View > Stereo Presentation > Page flipping, the third entry, by the
    # keys, each menu awaited as one more window of the viewer's.
    window=$(x_wait_window "demo.flm - Plexo")
    shown() { xdotool search --onlyvisible --pid "$plexo_pid" 2>/dev/null | wc -l; }
    windows=$(shown)
    xdotool windowfocus --sync "$window" key alt+v
    for _ in $(seq 100); do [ "$(shown)" -gt "$windows" ] && break; sleep 0.1; done
    xdotool key p
    for _ in $(seq 100); do [ "$(shown)" -gt $((windows + 1)) ] && break; sleep 0.1; done
    xdotool key Down Down Return
  fi
  until_true covers || fail "$flip_output: the page-flipping window does not cover the screen;" \
    "the viewer's windows: $(xdotool search --onlyvisible --pid "$plexo_pid" getwindowgeometry %@ 2>&1 | tr '\n' ' ')"
  until_true lit || true
  # The two eyes' pictures differ there by their displacements. A shot
  # catches either eye, so with twenty of them the chance that one eye is
  # caught fewer than twice is about one in fifty thousand.
  rm -f "$work"/crop*.png
  for i in $(seq 20); do
    import -window root -crop $crop "$work/crop$i.png"
    sleep 0.05
  done
  [ -z "${PLEXO_SCREENSHOTS:-}" ] || cp "$work"/crop*.png "$PLEXO_SCREENSHOTS"/
  for i in $(seq 20); do convert "$work/crop$i.png" -format '%[fx:maxima.r+maxima.g+maxima.b] %#\n' info:; done |
    sort | uniq -c | tee "$work/kinds"
  grep -q ' 0 ' "$work/kinds" && fail "$flip_output: shots show nothing at the view's centre"
  [ "$(awk '$1 >= 2' "$work/kinds" | wc -l)" -ge 2 ] ||
    fail "$flip_output: the screen does not alternate between two pictures"
  x_stop_plexo
done
echo "PASS"
