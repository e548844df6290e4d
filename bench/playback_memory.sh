#!/usr/bin/env bash
# Resident memory of the viewer playing a video in a loop (`plexo FILM /play
# /round`) beside `ffplay -an -loop 0` on the same file in a window of the
# same size, under Xvfb, one player after the other. Each is sampled from
# /proc/PID/status (VmRSS, VmHWM) every INTERVAL seconds for PLAY_SECONDS;
# printed per player: the peak (VmHWM at the end), the largest RSS of each
# pass through the film (the film's length of wall time each), and the trend:
# the last pass's largest RSS less the second's, and the slope over the
# passes after the first (least squares, MB a pass).
# The media (ffmpeg's testsrc2, LENGTH seconds):
#   uhd60.mp4      3840x2160 59.94 fps H.264, shown plain
#   hd24_hsbs.mp4  1920x1080 23.976 fps half side by side H.264, Dubois red-cyan
#
#   bench/playback_memory.sh [BUILD_DIR]   # default build/release
# Environment: FILES (uhd60,hd24_hsbs), PLAYERS (plexo,ffplay), PLAY_SECONDS (600),
# LENGTH (20), INTERVAL (0.5), VIEW (1280x720), MEDIA (a folder to keep the
# media in between runs), PLEXO_ENV (assignments put before the viewer's
# command, e.g. MALLOC_ARENA_MAX=2, to try a setting without a rebuild),
# SAMPLES (a folder where each run's samples are kept: "seconds rss_kB hwm_kB").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/release}" && pwd)"
plexo="$build/src/app/plexo"
files=${FILES:-uhd60,hd24_hsbs}
players=${PLAYERS:-plexo,ffplay}
seconds=${PLAY_SECONDS:-600}
length=${LENGTH:-20}
interval=${INTERVAL:-0.5}
view=${VIEW:-1280x720}
[ -x "$plexo" ] || { echo "no $plexo: cmake --build --preset release --target plexo" >&2; exit 1; }
fail() { echo "playback_memory: $*" >&2; exit 1; }
# shellcheck source=../tests/support/x_server.sh
. "$root/tests/support/x_server.sh"
x_begin playback-memory Xvfb ffmpeg ffplay
media=${MEDIA:-$work/media}
mkdir -p "$media"
x_start Xvfb -screen 0 1920x1200x24 -nolisten tcp
export XDG_CONFIG_HOME="$work/config"
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"
load() { uptime | sed 's/.*load average: //'; }

make_clip() {
  local name=$1 size rate graph="[0:v]null[v]" out="$media/$1.mp4"
  case $name in
    uhd60) size=3840x2160 rate=60000/1001 ;;
    hd24_hsbs) size=960x1080 rate=24000/1001
      # The second eye is the first moved, so that the two differ.
      graph="[0:v]split[a][b];[b]crop=iw-16:ih:16:0,pad=iw+16:ih:0:0[c];[a][c]hstack[v]" ;;
    *) fail "no such film: $name" ;;
  esac
  [ -s "$out" ] && [ "$(cat "$out.length" 2>/dev/null)" = "$length" ] && return
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=$size:rate=$rate" -t "$length" -filter_complex "$graph" \
    -map '[v]' -c:v libx264 -preset veryfast -crf 20 -g 60 -pix_fmt yuv420p "$out"
  echo "$length" >"$out.length"
}
mode_of() { case $1 in *sbs*) echo dubois-red-cyan ;; *) echo plain ;; esac; }

# sample PID OUT: "seconds rss_kB hwm_kB" every INTERVAL while the process
# lives, for PLAY_SECONDS.
sample() {
  local pid=$1 out=$2 start now
  start=$(date +%s.%N)
  : >"$out"
  while kill -0 "$pid" 2>/dev/null; do
    now=$(date +%s.%N)
    awk -v t="$(awk -v a="$now" -v b="$start" 'BEGIN { printf "%.2f", a - b }')" \
      '/^VmRSS:/ { r = $2 } /^VmHWM:/ { h = $2 } END { if (r) print t, r, h }' "/proc/$pid/status" \
      2>/dev/null >>"$out" || true
    awk -v a="$now" -v b="$start" -v s="$seconds" 'BEGIN { exit !(a - b >= s) }' && break
    sleep "$interval"
  done
}

# report NAME PLAYER SAMPLES: the peak and the passes.
report() {
  awk -v name="$1" -v player="$2" -v span="$length" '
    { pass = int($1 / span); if ($2 > most[pass]) most[pass] = $2; hwm = $3; if (pass > last) last = pass }
    END {
      line = ""; n = 0; sx = sy = sxx = sxy = 0
      for (p = 0; p <= last; p++) {
        line = line sprintf(" %.0f", most[p] / 1024)
        # The last pass may be cut short: left out of the trend.
        if (p >= 1 && p < last) { n++; sx += p; sy += most[p] / 1024; sxx += p * p; sxy += p * most[p] / 1024 }
      }
      slope = n > 1 ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0
      printf "%s %s: peak %.0f MB; largest RSS a pass, MB:%s; pass %d less pass 1: %+.0f MB; slope %+.1f MB a pass\n",
        name, player, hwm / 1024, line, last - 1, (most[last - 1] - most[1]) / 1024, slope
    }' "$3"
}

IFS=, read -r -a names <<<"$files"
IFS=, read -r -a whom <<<"$players"
for name in "${names[@]}"; do
  make_clip "$name"
  for player in "${whom[@]}"; do
    echo "$name, $player, $seconds s (load $(load))" >&2
    case $player in
      plexo)
        printf '[View]\nSize=1\nGeometry=0 0 %s %s\nPresentation=%s\n' "${view%x*}" "${view#*x}" \
          "$(mode_of "$name" | sed 's/plain/red-blue/')" >"$XDG_CONFIG_HOME/plexo/duvix.ini"
        env ${PLEXO_ENV:-} "$plexo" "$media/$name.mp4" /play /round \
          $([ "$(mode_of "$name")" = plain ] || echo /stereo) >"$work/plexo.log" 2>&1 &
        plexo_pid=$! ;;
      ffplay)
        SDL_RENDER_DRIVER=software ffplay -loglevel error -an -loop 0 -noborder -left 0 -top 0 \
          -x "${view%x*}" -y "${view#*x}" "$media/$name.mp4" >"$work/ffplay.log" 2>&1 &
        plexo_pid=$! ;;
      *) fail "no such player: $player" ;;
    esac
    sample "$plexo_pid" "$work/$name.$player.samples"
    kill -0 "$plexo_pid" 2>/dev/null || fail "$player ended early on $name: $(tail -n3 "$work/$player.log")"
    kill "$plexo_pid"
    for _ in $(seq 20); do kill -0 "$plexo_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$plexo_pid" 2>/dev/null || true
    wait "$plexo_pid" 2>/dev/null || true
    plexo_pid=""
    [ -n "${SAMPLES:-}" ] && mkdir -p "$SAMPLES" && cp "$work/$name.$player.samples" "$SAMPLES/"
    report "$name" "$player" "$work/$name.$player.samples"
  done
done
echo "load at the end: $(load)"
