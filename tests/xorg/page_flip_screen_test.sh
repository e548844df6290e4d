#!/usr/bin/env bash
# The real viewer on Xorg with the dummy driver: the screen goes to another
# mode after the viewer has started, S then switches page flipping on, and
# the whole screen must be the flipping surface: black but for the picture,
# centred on the new screen and pixel for pixel one eye's, with nothing of
# the window (menu bar, toolbar, status bar) on it. So the flipping surfaces
# and the output follow the screen of the moment. Once through X shared
# memory, once through OpenGL.
# Usage: page_flip_screen_test.sh PLEXO PLEXO_TOOL XORG_CONFIG DRIVER_FOLDER
set -euo pipefail
plexo=$1
tool=$2
config=$3
driver=$4
source "$(dirname "$0")/../support/x_server.sh"
x_begin xorg-flip-screen Xorg xrandr xdotool xwininfo import convert identify
fail() { echo "FAIL: $*" >&2; cat "$work/plexo.log" >&2 || true; exit 1; }

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"
# Page flipping with no displacement: both eyes sit in the same place. The
# status bar is on, and must go while the eyes flip.
printf '[Settings]\nRed-Blue=0\nDist=0\n[View]\nGeometry=40 40 400 300\nStatus bar=1\n' \
  >"$XDG_CONFIG_HOME/plexo/duvix.ini"
printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$driver" >"$work/registry.ini"
export PLEXO_REGISTRY=$work/registry.ini
export LIBGL_ALWAYS_SOFTWARE=1
"$tool" demo "$work/demo.flm" || fail "plexo-tool demo"
read -r width height < <("$tool" info "$work/demo.flm" | sed -n 's/^size: \([0-9]*\)x\([0-9]*\)$/\1 \2/p')

# The eyes' pictures: a field on the screen is one of them, pixel for pixel.
for eye in first second; do
  "$tool" compose "$work/demo.flm" --dist 0 --mode "mono-$eye" --out "$work/$eye.bmp" >/dev/null ||
    fail "plexo-tool compose"
  identify -format '%#\n' "$work/$eye.bmp" >>"$work/eyes"
done

x_start Xorg -nolisten tcp -config "$config" -logfile "$work/xorg.log"
output=$(xrandr | awk '/ connected/ {print $1; exit}')

# Prints "WIDTH HEIGHT +LEFT +TOP" of the part of the screen that is not
# black, or nothing.
lit_part() {
  import -window root "$work/shot.png" 2>/dev/null || return 0
  convert "$work/shot.png" -trim -format "%w %h %X %Y" info: 2>/dev/null
}

# Each page-flip output in turn (PLEXO_FLIP_OUTPUT), from the large mode to
# a smaller one.
for flip_output in x11 opengl; do
  xrandr --output "$output" --mode 1920x1080
  PLEXO_FLIP_OUTPUT=$flip_output "$plexo" "$work/demo.flm" >"$work/plexo.log" 2>&1 &
  plexo_pid=$!
  window=$(x_wait_window "demo.flm - Plexo")
  xrandr --output "$output" --mode 1600x900
  xdotool windowfocus --sync "$window" key s
  left=$(((1600 - width) / 2)) top=$(((900 - height) / 2))
  expected="$width $height +$left +$top"
  # Until the flipped field, not the window's own paint, is on the screen.
  shown=no
  for _ in $(seq 100); do
    lit=$(lit_part)
    if [ "$lit" = "$expected" ]; then
      convert "$work/shot.png" -crop "${width}x$height+$left+$top" +repage "$work/field.png"
      grep -qx "$(identify -format '%#' "$work/field.png")" "$work/eyes" && shown=yes && break
    fi
    sleep 0.2
  done
  [ "$lit" = "$expected" ] ||
    fail "$flip_output: what is lit on the 1600x900 screen is '$lit', not the picture alone centred: '$expected'"
  [ $shown = yes ] || fail "$flip_output: the picture shown is neither eye's"
  xdotool key s
  x_stop_plexo
done
echo "PASS"
