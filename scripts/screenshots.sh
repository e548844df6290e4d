#!/usr/bin/env bash
# Makes the README's pictures from the demo film under Xvfb: the viewer in
# red-blue, interlaced, Dubois red-cyan and side by side, the Settings and
# Translate dialogs, a film converted to grey at half size, and a side-by-side
# video made of the demo's frames in red-blue. Needs Xvfb, xdotool,
# ImageMagick and ffmpeg.
# Usage: scripts/screenshots.sh [PLEXO PLEXO_TOOL [OUT_DIR]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
plexo=${1:-$top/build/release/src/app/plexo}
tool=${2:-$top/build/release/plexo-tool}
out=${3:-$top/docs/images}
for program in Xvfb xdotool import convert ffmpeg; do
  command -v "$program" >/dev/null || { echo "$program is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d /tmp/plexo-shots-XXXXXX)
xvfb_pid=""
plexo_pid=""
cleanup() {
  [ -n "$plexo_pid" ] && kill "$plexo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$work/config PLEXO_SETTINGS_FILE=$work/config/duvix.ini
export QT_QPA_PLATFORM=xcb ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
mkdir -p "$XDG_CONFIG_HOME"
"$tool" demo "$work/demo.flm" >/dev/null

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

window_of() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window '$1'" >&2
  cat "$work/plexo.log" >&2
  exit 1
}

# The picture of one window, small: no metadata, best compression.
shoot() {
  sleep 1
  import -window "$(window_of "$1")" "$work/shot.png"
  convert "$work/shot.png" -strip -dither None -colors 256 -define png:compression-level=9 "PNG8:$out/$2"
  echo "$out/$2: $(stat -c %s "$out/$2") bytes"
}

# A click through the X server's test extension at a point of a window:
# there is no window manager to give focus to keys.
click() {
  xdotool mousemove --sync --window "$(window_of "$1")" "$2" "$3" click 1
}

# Presentation 1 red-blue or 2 interlaced, or a presentation's --mode name,
# the film fitted to a 640 x 480 view.
start() {
  case $1 in
    [0-9]) printf '[Settings]\nRed-Blue=%s\nShift=-4\n[View]\nSize=1\nGeometry=20 20 660 540\nStatus bar=1\n' "$1" ;;
    *) printf '[Settings]\nShift=-4\n[View]\nSize=1\nGeometry=20 20 660 540\nStatus bar=1\nPresentation=%s\n' "$1" ;;
  esac >"$PLEXO_SETTINGS_FILE"
  shift
  "$plexo" "$@" >"$work/plexo.log" 2>&1 &
  plexo_pid=$!
}
stop() {
  kill -TERM "$plexo_pid"
  wait "$plexo_pid" || true
  plexo_pid=""
}

start 1 "$work/demo.flm" /stereo /A=-4
shoot "demo.flm - Plexo" viewer-red-blue.png
click "demo.flm - Plexo" 213 33   # the toolbar's Settings button
shoot "Settings" settings-dialog.png
click "Settings" 10 10
xdotool key Escape
stop

start 2 "$work/demo.flm" /stereo /A=-4
shoot "demo.flm - Plexo" viewer-interlaced.png
click "demo.flm - Plexo" 192 8    # Translate on the menu bar
shoot "Translate" translate-dialog.png
stop

start dubois-red-cyan "$work/demo.flm" /stereo /A=-4
shoot "demo.flm - Plexo" viewer-dubois-red-cyan.png
stop
start side-by-side "$work/demo.flm" /stereo /A=-4
shoot "demo.flm - Plexo" viewer-side-by-side.png
stop

# Grey at half size, through BMP files back into one film.
mkdir -p "$work/grey"
cp "$work/demo.flm" "$work/grey/demo.flm"
"$tool" convert flm-bmp "$work/grey/demo.flm" --grey --factor 2 2>/dev/null
"$tool" convert bmp-flm "$work/grey/demo0000.bmp" 2>/dev/null || "$tool" convert bmp-flm "$(ls "$work"/grey/*.bmp | head -n1)" 2>/dev/null
converted=$(ls -t "$work"/grey/*.flm | grep -v '/demo.flm$' | head -n1)
start 1 "$converted" /A=-4
shoot "$(basename "$converted") - Plexo" viewer-converted.png
stop

# A side-by-side video, its layout in its name: the demo's frames, the left
# eye four frames ahead of the right, as the demo's shift of -4 pairs them.
mkdir -p "$work/frames"
cp "$work/demo.flm" "$work/frames/demo.flm"
"$tool" convert flm-bmp "$work/frames/demo.flm" 2>/dev/null
ffmpeg -v error -y -framerate 12 -start_number 4 -i "$work/frames/demo%04d.bmp" -framerate 12 -i "$work/frames/demo%04d.bmp" \
  -filter_complex "[0][1]hstack=shortest=1,format=yuv420p" -c:v libx264 "$work/demo_sbs.mp4"
start 1 "$work/demo_sbs.mp4" /stereo
shoot "demo_sbs.mp4 - Plexo" viewer-video-red-blue.png
stop
