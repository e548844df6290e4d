#!/usr/bin/env bash
# The real viewer on Xorg with the dummy driver: the screen goes to a larger
# mode after the viewer has started, S then switches page flipping on, and
# the picture must sit centred in the view on the new screen, pixel for
# pixel one eye's, so the flipping surfaces and the output follow the screen
# of the moment. Once through X shared memory, once through OpenGL.
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
# Page flipping with no displacement: both eyes sit in the same place.
printf '[Settings]\nRed-Blue=0\nDist=0\n[View]\nGeometry=40 40 400 300\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
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

# Prints "LEFT TOP" of the picture within the view, or nothing while the
# view shows none. Without a window manager the screen shows the menu bar and
# the toolbar above the view, and the view is black around the picture.
picture_place() {
  import -window root "$work/shot.png" 2>/dev/null || return 0
  # The view starts below the last row of the toolbar in the first column.
  local top
  top=$(convert "$work/shot.png" -crop 1x1080+0+0 +repage txt:- |
    awk -F'[,:]' 'NR > 1 && $0 !~ /#000000/ {last = $2} END {print last + 1}')
  convert "$work/shot.png" -crop "1920x$((1080 - top))+0+$top" +repage -trim \
    -format "%w %h %X %Y $((1080 - top))" info: 2>/dev/null
}

# Each page-flip output in turn (PLEXO_FLIP_OUTPUT), from the small mode.
for flip_output in x11 opengl; do
  xrandr --output "$output" --mode 800x600
  PLEXO_FLIP_OUTPUT=$flip_output "$plexo" "$work/demo.flm" >"$work/plexo.log" 2>&1 &
  plexo_pid=$!
  window=$(x_wait_window "demo.flm - Plexo")
  xrandr --output "$output" --mode 1920x1080
  xdotool windowfocus --sync "$window" key s
  expected="$width $height +$(((1920 - width) / 2)) +"
  # Until the flipped field, not the window's own paint, is on the screen.
  centred=no shown=no
  for _ in $(seq 100); do
    place=$(picture_place)
    # The view's height comes last: the picture is centred in it.
    read -r w h x y view <<<"${place:-0 0 +0 +0 0}"
    centred=no shown=no
    [ "$w $h $x +" = "$expected" ] && [ "${y#+}" -eq $(((view - height) / 2)) ] && centred=yes
    if [ $centred = yes ]; then
      convert "$work/shot.png" -crop "${width}x$height$x+$((1080 - view + ${y#+}))" +repage "$work/field.png"
      grep -qx "$(identify -format '%#' "$work/field.png")" "$work/eyes" && shown=yes && break
    fi
    sleep 0.2
  done
  [ $centred = yes ] ||
    fail "$flip_output: the picture is ${w}x$h at $x$y in a view $view rows high, not centred on the 1920x1080 screen"
  [ $shown = yes ] || fail "$flip_output: the picture shown is neither eye's"
  xdotool key s
  x_stop_plexo
done
echo "PASS"
