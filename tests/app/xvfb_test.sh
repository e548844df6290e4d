#!/usr/bin/env bash
# Starts the real viewer under Xvfb with the demo film, "stereo" and "play",
# finds the red-blue picture on the screen, ends the program with SIGTERM and
# checks that it wrote its settings on the way out.
# Usage: xvfb_test.sh PLEXO PLEXO_TOOL   (PLEXO_SCREENSHOT=FILE keeps the shot)
set -euo pipefail
plexo=$1
tool=$2
for program in Xvfb import convert xwininfo; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done

source "$(dirname "$0")/../support/x_server.sh"
x_begin xvfb
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"

x_start Xvfb -screen 0 800x700x24 -nolisten tcp

"$plexo" "$work/demo.flm" /stereo -play >"$work/plexo.log" 2>&1 &
plexo_pid=$!
for _ in $(seq 200); do
  xwininfo -root -tree 2>/dev/null | grep -q '"demo.flm - Plexo"' && break
  sleep 0.1
done
xwininfo -root -tree | grep -q '"demo.flm - Plexo"' || fail "no window titled 'demo.flm - Plexo'"

# A red-blue anaglyph has no green at all and both other channels lit where
# the two pictures overlap; nothing else on the screen looks like that. The
# window is mapped before it first paints, so look until the picture is there.
anaglyph=0
for _ in $(seq 40); do
  import -window root "$work/shot.png"
  anaglyph=$(convert "$work/shot.png" -fx '(g==0 && r>0.1 && b>0.1) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:)
  [ "$anaglyph" -gt 20000 ] && break
  sleep 0.25
done
[ -n "${PLEXO_SCREENSHOT:-}" ] && cp "$work/shot.png" "$PLEXO_SCREENSHOT"
echo "red-blue pixels: $anaglyph"
[ "$anaglyph" -gt 20000 ] || fail "no red-blue picture on the screen ($anaglyph pixels)"

x_stop_plexo

ini=$XDG_CONFIG_HOME/plexo/duvix.ini
[ -f "$ini" ] || fail "no settings file written"
for key in "Current directory" "Frames/sec=15.000000" "Red-Blue=1" "Round=0" "Dist=21"; do
  grep -q "^$key" "$ini" || fail "settings file lacks '$key'"
done
echo "PASS"
