#!/usr/bin/env bash
# Page-flipped stereo in the real viewer under Xvfb with Mesa's software
# OpenGL and the reference driver: the window covers the screen, screenshots
# over a second find two different pictures at the view's centre (the two
# eyes), and Esc brings the former rectangle back with playback stopped.
# Usage: page_flip_xvfb_test.sh PLEXO PLEXO_TOOL DRIVER_FOLDER
#        (PLEXO_SCREENSHOTS=FOLDER keeps the shots)
set -euo pipefail
plexo=$1
tool=$2
driver=$3
for program in Xvfb import convert xwininfo xdotool; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done

source "$(dirname "$0")/../support/x_server.sh"
x_begin flip
fail() { echo "FAIL: $*" >&2; cat "$work/plexo.log" >&2 || true; exit 1; }

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"
printf '[Settings]\nRed-Blue=0\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$driver" >"$work/registry.ini"
export PLEXO_REGISTRY=$work/registry.ini
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"

x_start Xvfb -screen 0 800x700x24 -nolisten tcp +extension GLX
export LIBGL_ALWAYS_SOFTWARE=1

"$plexo" "$work/demo.flm" /stereo >"$work/plexo.log" 2>&1 &
plexo_pid=$!
# Going frameless makes a new X window, so the window is looked up anew.
info() {
  local id
  id=$(xdotool search --onlyvisible --name '^demo.flm - Plexo$' 2>/dev/null | tail -n1 || true)
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null || true
}
covers() { info | grep -q 'Width: 800' && info | grep -q 'Height: 700'; }
for _ in $(seq 200); do info | grep -q 'Width' && break; sleep 0.1; done
info | grep -q 'Width' || fail "no window titled 'demo.flm - Plexo'"
for _ in $(seq 100); do covers && break; sleep 0.1; done
covers || fail "the window does not cover the screen"
lit() { [ "$(import -window root -crop 120x80+340+330 png:- | convert - -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" != 0 ]; }
for _ in $(seq 100); do lit && break; sleep 0.1; done
# Twenty shots over a second; the crop at the screen's centre lies inside the
# picture, and the two eyes' pictures differ there by their displacements.
# A shot catches either eye, so with twenty of them the chance that one eye
# is caught fewer than twice is about one in fifty thousand.
for i in $(seq 20); do
  import -window root -crop 120x80+340+330 "$work/crop$i.png"
  sleep 0.05
done
[ -n "${PLEXO_SCREENSHOTS:-}" ] && cp "$work"/crop*.png "$PLEXO_SCREENSHOTS"/
for i in $(seq 20); do convert "$work/crop$i.png" -format '%#\n' info:; done | sort | uniq -c | sort -rn >"$work/kinds"
cat "$work/kinds"
kinds=$(awk '$1 >= 2' "$work/kinds" | wc -l)
black=$(for i in $(seq 20); do convert "$work/crop$i.png" -format '%[fx:maxima.r+maxima.g+maxima.b]\n' info:; done | grep -c '^0$' || true)
[ "$black" -eq 0 ] || fail "$black shots show nothing at the view's centre"
[ "$kinds" -ge 2 ] || fail "the screen does not alternate between two pictures"

# Without a window manager the main window is given the keyboard by hand.
for _ in $(seq 20); do
  xdotool search --onlyvisible --name '^demo.flm - Plexo$' windowfocus --sync key Escape 2>/dev/null && break
  sleep 0.2
done
for _ in $(seq 100); do covers || break; sleep 0.1; done
covers && fail "Esc left the window full screen"

x_stop_plexo
echo "PASS"
