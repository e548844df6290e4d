#!/usr/bin/env bash
# Times page flipping in the viewer through its OpenGL output under Mesa's
# software rendering, on Xorg with the dummy driver switched to each mode in
# turn (or on Xvfb), with the reference driver registered. The modes take
# turns within each round, and the figures are the medians over the rounds.
# Usage: page_flip_gl.sh BUILD_DIR [xorg|xvfb] [SECONDS] [MODES] [ROUNDS]
#   BUILD_DIR: the bench preset's; MODES: Xorg's, comma-separated
#   (default 1920x1080_120,1280x720_120); ROUNDS: default 5
set -euo pipefail
# Absolute: the registry file names the driver's folder, and a relative one
# would be taken from the registry file's own folder.
build=$(cd "$1" && pwd)
server=${2:-xorg}
seconds=${3:-10}
modes=${4:-1920x1080_120,1280x720_120}
rounds=${5:-5}
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
  x_start Xorg -nolisten tcp -config "$here/../tests/xorg/dummy.conf" -logfile "$work/xorg.log"
  output=$(xrandr | awk '/ connected/ {print $1; exit}')
  # The dummy driver's configuration has no 720p mode at 120 Hz.
  if ! xrandr | grep -q '^ *1280x720_120 '; then
    xrandr --newmode 1280x720_120 161.56 1280 1376 1512 1744 720 721 724 772 -HSync +Vsync
    xrandr --addmode "$output" 1280x720_120
  fi
else
  x_start Xvfb -screen 0 1920x1080x24 -nolisten tcp +extension GLX
  modes=xvfb
fi
IFS=, read -r -a mode_list <<<"$modes"
for round in $(seq "$rounds"); do
  for mode in "${mode_list[@]}"; do
    [ "$server" = xorg ] && { xrandr --output "$output" --mode "$mode" || fail "no mode $mode on $output"; }
    echo "round $round, $mode ($(uptime | sed 's/.*load/load/'))"
    "$build/bench/page_flip_gl" "$seconds" 2>/dev/null | tee -a "$work/$mode.txt"
  done
done
# The summary lines are "summary: NAME VALUE NAME VALUE ..."; each value's
# median over the rounds.
median() { sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for mode in "${mode_list[@]}"; do
  echo "median of $rounds rounds, $mode:"
  names=$(grep -m1 '^summary:' "$work/$mode.txt" | awk '{ for (i = 2; i < NF; i += 2) print $i }')
  for name in $names; do
    echo "  $name $(grep '^summary:' "$work/$mode.txt" |
      awk -v name="$name" '{ for (i = 2; i < NF; i += 2) if ($i == name) print $(i + 1) }' | median)"
  done
done
