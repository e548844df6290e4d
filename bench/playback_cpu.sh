#!/usr/bin/env bash
# CPU a shown frame costs the real viewer playing a 1920x1080 JPEG-packed .flm
# at 60 frames a second under Xvfb, plain, red-blue and Dubois red-cyan,
# beside ffplay showing the same frames (the film's own streams, written out
# as JPEG files) with its SDL software renderer, measured the same way in the
# same rounds; and the viewer playing a 1920x1080 H.264 MP4 of 60 frames a
# second in red-blue at the video's own rate beside ffplay showing that file.
#
# Each player is started, left two seconds to settle into playing, and then
# measured over a fixed window from /proc: its own CPU time and the X
# server's. A frame's cost is that CPU time over the frames the window holds
# at 60 frames a second. The viewer reads every frame from the file ("File"
# reading mode), as ffplay decodes every frame; it bounces between the
# film's ends, ffplay loops.
#
#   bench/playback_cpu.sh     # PLEXO and PLEXO_TOOL name the programs, ROUNDS the rounds
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
plexo="${PLEXO:-$root/build/bench/src/app/plexo}"
tool="${PLEXO_TOOL:-$root/build/bench/plexo-tool}"
rounds="${ROUNDS:-5}"
frames=240
window=5
for program in "$plexo" "$tool"; do
  [ -x "$program" ] || { echo "no $program: cmake --preset bench && cmake --build build/bench --target plexo plexo-tool" >&2; exit 1; }
done
for program in Xvfb ffmpeg ffplay xdotool; do
  command -v "$program" >/dev/null || { echo "$program is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

fail() { echo "playback_cpu: $*" >&2; exit 1; }
# shellcheck source=../tests/support/x_server.sh
. "$root/tests/support/x_server.sh"
x_begin playback-cpu
x_start Xvfb -screen 0 1920x1200x24 -nolisten tcp
export XDG_CONFIG_HOME="$work/config"
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo" "$work/frames"

# The film, and its own streams as numbered JPEG files for ffplay.
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=60" -frames:v "$frames" -q:v 2 \
  "$work/frames/take%04d.jpg"
"$tool" convert jpg-flm "$work/frames/take0001.jpg" --compress jpeg --quality 90 >/dev/null 2>&1
mv "$work/frames/take0.flm" "$work/film.flm"
rm -rf "$work/frames"
mkdir -p "$work/jpeg"
cp "$work/film.flm" "$work/jpeg/film.flm"
"$tool" convert flm-jpg "$work/jpeg/film.flm" --quality 90 >/dev/null 2>&1
rm "$work/jpeg/film.flm"
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=60" -frames:v 600 -c:v libx264 -preset veryfast \
  -b:v 2M -g 120 "$work/clip.mp4"

ticks_per_second=$(getconf CLK_TCK)
# utime + stime of a process, in ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# play KIND: "player-ms server-ms" a frame, over the window.
play() {
  local kind=$1 pid player server
  case $kind in
    ffplay)
      SDL_RENDER_DRIVER=software ffplay -loglevel error -loop 0 -noborder -framerate 60 -i "$work/jpeg/film%04d.jpg" &
      pid=$! ;;
    ffplay-video)
      SDL_RENDER_DRIVER=software ffplay -loglevel error -loop 0 -noborder "$work/clip.mp4" &
      pid=$! ;;
    plain | red-blue | dubois-red-cyan | video)
      # The window fits the whole picture, as ffplay's does. The video plays
      # at its own rate whatever Frames/sec says.
      printf '[Settings]\nFrames/sec=%s\nAlter=1\nRed-Blue=1\n[View]\nSize window to film=1\nPresentation=%s\n' \
        "$([ "$kind" = video ] && echo 5.000000 || echo 60.000000)" \
        "$([ "$kind" = plain ] || [ "$kind" = video ] && echo red-blue || echo "$kind")" \
        >"$XDG_CONFIG_HOME/plexo/duvix.ini"
      local film="$work/film.flm"
      [ "$kind" = video ] && film="$work/clip.mp4"
      "$plexo" "$film" /play $([ "$kind" != plain ] && echo /stereo) >/dev/null 2>&1 &
      pid=$! ;;
  esac
  plexo_pid=$pid
  sleep 2
  player=$(cpu_ticks "$pid")
  server=$(cpu_ticks "$server_pid")
  sleep "$window"
  player=$(( $(cpu_ticks "$pid") - player ))
  server=$(( $(cpu_ticks "$server_pid") - server ))
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  plexo_pid=""
  local shown=$((window * 60))
  awk -v p="$player" -v s="$server" -v t="$ticks_per_second" -v n="$shown" \
    'BEGIN { printf "%.2f %.2f\n", p * 1000 / t / n, s * 1000 / t / n }'
}

kinds=(plain red-blue dubois-red-cyan ffplay video ffplay-video)
declare -A results
for round in $(seq "$rounds"); do
  for kind in "${kinds[@]}"; do
    results[$kind]+="$(play "$kind")"$'\n'
  done
  echo "round $round of $rounds done" >&2
done

echo "CPU per frame (ms) at 60 frames a second over ${window} s, $rounds rounds: min / median"
printf '%-10s %-20s %-20s\n' player "player" "X server"
for kind in "${kinds[@]}"; do
  line=$(printf '%-10s' "$kind")
  for column in 1 2; do
    values=$(printf '%s' "${results[$kind]}" | awk -v c=$column 'NF { print $c }' | sort -n)
    count=$(printf '%s\n' "$values" | wc -l)
    line+=$(printf ' %8s / %-9s' "$(printf '%s\n' "$values" | head -n1)" \
      "$(printf '%s\n' "$values" | sed -n "$(((count + 1) / 2))p")")
  done
  echo "$line"
done
