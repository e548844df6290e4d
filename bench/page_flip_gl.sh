#!/usr/bin/env bash
# Times page flipping in the viewer through its OpenGL output under Mesa's
# software rendering, on Xorg with the dummy driver switched to its 120 Hz
# mode (or on Xvfb), with the reference driver registered.
# Usage: page_flip_gl.sh BUILD_DIR [xorg|xvfb] [SECONDS] [MODE]
#   BUILD_DIR: the bench preset's; MODE: Xorg's, 1920x1080_120 or 640x480_120
set -euo pipefail
build=$1
server=${2:-xorg}
seconds=${3:-10}
mode=${4:-1920x1080_120}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/support/x_server.sh"
x_begin flip-bench
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_CONFIG_HOME=$work/config
unset PLEXO_SETTINGS_FILE
printf '[SOFTWARE\\K3V]\nKORVA=%s\n' "$build/drivers" >"$work/registry.ini"
export PLEXO_REGISTRY=$work/registry.ini
export LIBGL_ALWAYS_SOFTWARE=1

if [ "$server" = xorg ]; then
  x_start Xorg -noreset -nolisten tcp -config "$here/../tests/xorg/dummy.conf" -logfile "$work/xorg.log"
  output=$(xrandr | awk '/ connected/ {print $1; exit}')
  xrandr --output "$output" --mode "$mode" || fail "no mode $mode on $output"
  xrandr | grep '\*'
else
  x_start Xvfb -screen 0 1920x1080x24 -nolisten tcp +extension GLX
fi
"$build/bench/page_flip_gl" "$seconds"
