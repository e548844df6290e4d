#!/usr/bin/env bash
# The viewer playing videos on screen under Xvfb beside `ffplay -an` on the
# same files at the same window size, in interleaved rounds (viewer, ffplay,
# viewer, ffplay ...), min and median over the rounds:
#   - the film position against wall time over the measured span (x1.0000
#     keeps time);
#   - distinct frames shown a second, and as a share of the frames due (the
#     span's wall time at the film's rate);
#   - CPU a frame shown, of the player's process and of the X server;
#   - the viewer's window thread: its CPU a frame shown, and the wall time
#     of its paints and player passes a frame, and the longest time without
#     a paint (a picture standing still);
#   - the floor, in the same rounds: ffmpeg's own decode of the same file
#     (-threads 2 -f null), decode + conversion to 24-bit BGR at the film's
#     size, and decode + conversion straight to the view's size (area), CPU
#     a frame, and the viewer's CPU a frame shown against each;
#   - then the 3840x1080 59.94 fps side-by-side file in Dubois played for
#     LONG seconds (the share of frames shown), and 20 steps forward at
#     1080p and at 4K, each from the command to the paint of its frame;
#   - then, with ALIGN_ROUNDS, hd30.mp4 as a time-shift film (Shift 3, Dubois)
#     played with and without View > Align Every Frame in interleaved
#     rounds: the frames shown aligned as a share of those shown without;
#   - then, with SPHERE_ROUNDS, a 3840x2160 29.97 fps VR180 side-by-side film
#     in Dubois played looked into (vr30_180_sbs.mp4) and as a flat film
#     (the same file linked as vr30_flat_sbs.mp4, whose name says no
#     projection) in interleaved rounds: the frames shown looked into as a
#     share of those shown flat; and DRAG_MOVES moves of a drag over its
#     first frame, each from the move to the paint of the camera turned.
# The media (ffmpeg's testsrc2, 10-second clips looped with -stream_loop to
# cover a run):
#   hd24_hsbs.mp4  1920x1080 23.976 fps half side by side H.264, Dubois
#   hd30.mp4       1920x1080 29.97 fps HEVC, plain
#   wide60_sbs.mp4 3840x1080 59.94 fps side by side H.264, Dubois
#   uhd60.mp4      3840x2160 59.94 fps H.264, plain
#   vr30_180_sbs.mp4 3840x2160 29.97 fps H.264, each eye testsrc2 made
#                  half-equirectangular by v360, Dubois
# The viewer is bench/playback_screen (see there); ffplay's figures come from
# its -stats line: its clock, and its dropped frames (fd=), so that the
# frames it shows are the frames due over the span less those dropped.
#
#   bench/playback_screen.sh [BUILD_DIR]   # default build/bench
# Environment: ALIGN_ROUNDS (0), SPHERE_ROUNDS (0), DRAG_MOVES (20), ROUNDS (5),
# SPAN (20, the measured seconds of a round), VIEW (1280x720),
# LONG (60), LONG_ROUNDS (5), STEPS (20), FLOOR (0: no ffmpeg floor), FFPLAY_ANAGLYPH (set: ffplay shows the
# side-by-side files as the same Dubois anaglyph, stereo3d=...:arcd), FILES (the names above to run,
# comma-separated; all when unset, none when empty), SUBTITLES (set: each round also plays each file with
# subtitles, a 3-second line every 4 seconds from NAME_subs.srt beside a link NAME_subs.mp4,
# right after it plays without; row "subs"), MEDIA (a folder to keep the media in
# between runs; made fresh in the scratch folder otherwise).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/bench}" && pwd)"
program="$build/bench/playback_screen"
rounds=${ROUNDS:-5}
span=${SPAN:-20}
view=${VIEW:-1280x720}
long=${LONG:-60}
long_rounds=${LONG_ROUNDS:-5}
steps=${STEPS:-20}
files=${FILES-hd24_hsbs,hd30,wide60_sbs,uhd60}
[ -x "$program" ] || { echo "no $program: cmake --build --preset bench --target playback_screen" >&2; exit 1; }
fail() { echo "playback_screen: $*" >&2; exit 1; }
# shellcheck source=../tests/support/x_server.sh
. "$root/tests/support/x_server.sh"
x_begin playback-screen Xvfb ffmpeg ffprobe ffplay perl
media=${MEDIA:-$work/media}
mkdir -p "$media"
x_start Xvfb -screen 0 1920x1200x24 -nolisten tcp
export XDG_CONFIG_HOME="$work/config"
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"
# The picture fitted to the view, as ffplay fits it to its window.
printf '[View]\nSize=1\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
load() { uptime | sed 's/.*load average: //'; }

# make NAME SECONDS: a 10-second clip of NAME, looped to SECONDS.
make_clip() {
  local name=$1 length=$2 size rate codec eyes
  case $name in
    hd24_hsbs) size=960x1080 rate=24000/1001 codec=libx264 eyes=2 ;;
    hd30) size=1920x1080 rate=30000/1001 codec=libx265 eyes=1 ;;
    wide60_sbs) size=1920x1080 rate=60000/1001 codec=libx264 eyes=2 ;;
    uhd60) size=3840x2160 rate=60000/1001 codec=libx264 eyes=1 ;;
    vr30_180_sbs) size=1920x1080 rate=30000/1001 codec=libx264 eyes=180 ;;
  esac
  local out="$media/$name.mp4" clip="$media/$name.clip.mp4"
  [ -s "$out" ] && [ "$(cat "$out.length" 2>/dev/null)" = "$length" ] && return
  if [ ! -s "$clip" ]; then
    local graph="[0:v]null[v]"
    # The second eye is the first moved, so that the two differ.
    [ "$eyes" = 2 ] && graph="[0:v]split[a][b];[b]crop=iw-16:ih:16:0,pad=iw+16:ih:0:0[c];[a][c]hstack[v]"
    [ "$eyes" = 180 ] && graph="[0:v]v360=input=flat:output=hequirect:h_fov=120:v_fov=68:w=1920:h=2160,split[a][b];[b]crop=iw-16:ih:16:0,pad=iw+16:ih:0:0[c];[a][c]hstack[v]"
    ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=$size:rate=$rate" -t 10 -filter_complex "$graph" \
      -map '[v]' -c:v "$codec" -preset veryfast -crf 20 -g 60 -pix_fmt yuv420p \
      $([ "$codec" = libx265 ] && echo "-tag:v hvc1 -x265-params log-level=error") "$clip"
  fi
  ffmpeg -loglevel error -y -stream_loop $(((length + 9) / 10 - 1)) -i "$clip" -c copy "$out"
  echo "$length" >"$out.length"
}

# subtitles_beside NAME SECONDS: the clip under another name, with a
# subtitle file beside it (the viewer shows the file beside a film unless
# told otherwise).
subtitles_beside() {
  local name=$1 length=$2
  if [ -n "${SUBTITLES:-}" ]; then
    ln -f "$media/$name.mp4" "$media/${name}_subs.mp4"
    awk -v n="$length" 'function t(s) { return sprintf("%02d:%02d:%02d,000", s / 3600, s / 60 % 60, s % 60) }
      BEGIN { for (i = 0; i * 4 + 3 <= n; i++) printf "%d\n%s --> %s\nLine %d of the subtitles, drawn at their depth\n\n",
        i + 1, t(i * 4), t(i * 4 + 3), i + 1 }' >"$media/${name}_subs.srt"
  fi
}
mode_of() { case $1 in *sbs*) echo dubois-red-cyan ;; *) echo plain ;; esac; }

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# plexo_play NAME SECONDS: the summary line, with the X server's CPU a frame
# over the measured span (from "measure" to "measured" in the output).
plexo_play() {
  local name=$1 seconds=$2 out="$work/plexo.out" server0="" server1=""
  : >"$out"
  "$program" play "$media/$name.mp4" "${mode:-$(mode_of "$name")}" "$seconds" "$view" ${align:+align} >"$out" \
    2>"$work/plexo.err" &
  plexo_pid=$!
  while kill -0 "$plexo_pid" 2>/dev/null; do
    if [ -z "$server0" ] && grep -q '^measure$' "$out"; then server0=$(cpu_ticks "$server_pid"); fi
    if [ -z "$server1" ] && grep -q '^measured$' "$out"; then server1=$(cpu_ticks "$server_pid"); fi
    sleep 0.02
  done
  wait "$plexo_pid" || fail "the viewer failed on $name: $(tail -n3 "$work/plexo.err")"
  plexo_pid=""
  grep -v '^summary:\|^measure' "$out" | sed 's/^/  /' >&2
  local shown
  shown=$(awk '/^summary:/ { for (i = 2; i < NF; i += 2) if ($i == "shown_per_s") print $(i + 1) }' "$out")
  awk -v a="${server0:-0}" -v b="${server1:-0}" -v t="$ticks" -v n="$shown" -v s="$seconds" \
    '/^summary:/ { printf "%s x_ms %.2f\n", $0, (n > 0 ? (b - a) * 1000 / t / (n * s) : 0) }' "$out"
}

# ffplay_play NAME SECONDS: the same figures from ffplay's status line and
# /proc, over SECONDS after three seconds of settling.
ffplay_play() {
  local name=$1 seconds=$2 fps
  fps=$(ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$media/$name.mp4" |
    awk -F/ '{ print $1 / $2 }')
  local width=${view%x*} height=${view#*x} filter=()
  # FFPLAY_ANAGLYPH=1: ffplay makes the same Dubois anaglyph of the side-by-side files.
  if [ -n "${FFPLAY_ANAGLYPH:-}" ]; then
    case $name in
      *hsbs*) filter=(-vf stereo3d=sbs2l:arcd) ;;
      *sbs*) filter=(-vf stereo3d=sbsl:arcd) ;;
    esac
  fi
  SDL_RENDER_DRIVER=software ffplay -an -noborder -left 0 -top 0 -x "$width" -y "$height" -stats \
    -loglevel info "${filter[@]}" "$media/$name.mp4" 2>"$work/ffplay.log" &
  plexo_pid=$!
  sleep 3
  local t0 p0 s0 b0 t1 p1 s1 b1
  mark  # sets t and bytes
  t0=$t b0=$bytes p0=$(cpu_ticks "$plexo_pid") s0=$(cpu_ticks "$server_pid")
  sleep "$seconds"
  mark
  t1=$t b1=$bytes p1=$(cpu_ticks "$plexo_pid") s1=$(cpu_ticks "$server_pid")
  # ffplay can hang in its exit on SIGTERM (SDL's threads); killed after two seconds.
  kill "$plexo_pid"
  for _ in $(seq 20); do kill -0 "$plexo_pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$plexo_pid" 2>/dev/null || true
  wait "$plexo_pid" 2>/dev/null || true
  plexo_pid=""
  local c0 f0 c1 f1
  read -r c0 f0 <<<"$(status_at "$b0")"
  read -r c1 f1 <<<"$(status_at "$b1")"
  awk -v t0="$t0" -v t1="$t1" -v c0="$c0" -v c1="$c1" -v f0="$f0" -v f1="$f1" -v p="$((p1 - p0))" \
    -v s="$((s1 - s0))" -v t="$ticks" -v fps="$fps" 'BEGIN {
      wall = t1 - t0; film = c1 - c0; shown = film * fps - (f1 - f0); due = wall * fps
      printf "  ffplay %.2f s: film %.3f s (x%.4f), %.0f frames shown (%.2f/s) of %.0f due (%.1f %%), dropped %d\n",
        wall, film, film / wall, shown, shown / wall, due, 100 * shown / due, f1 - f0 > "/dev/stderr"
      printf "summary: ratio %.4f shown_per_s %.2f shown_pct %.2f cpu_ms %.2f x_ms %.2f\n", film / wall,
        shown / wall, 100 * shown / due, p * 1000 / t / shown, s * 1000 / t / shown
    }'
}

# ffplay writes its status line every 30 ms, ending it with a carriage
# return. mark waits for the next one to be written and notes the time ($t)
# and the log's length ($bytes) then.
mark() {
  local before
  before=$(stat -c %s "$work/ffplay.log")
  for _ in $(seq 200); do
    bytes=$(stat -c %s "$work/ffplay.log")
    [ "$bytes" != "$before" ] && break
    sleep 0.005
  done
  t=$(date +%s.%N)
}

# status_at BYTES: the clock and the dropped frames of the last whole status
# line in the log's first BYTES.
status_at() {
  head -c "$1" "$work/ffplay.log" | perl -e 'local $/; my @r = split /\r/, <STDIN>, -1; pop @r;
    for (reverse @r) { if (/^\s*(\S+)\s+[AM]-V:.*fd=\s*(\d+)/) { print "$1 $2\n"; last } }'
}

# A as a percentage of B.
percent() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b > 0 ? 100 * a / b : 0) }'; }

# ffmpeg_floor NAME KIND: ffmpeg decoding the 10-second clip on two threads,
# KIND "decode" alone, "bgr24" converting each frame to 24-bit BGR at its
# size, "view" to 24-bit BGR at the view's size in one pass; a summary line
# with the CPU a frame.
ffmpeg_floor() {
  local name=$1 kind=$2 clip="$media/$1.clip.mp4" frames convert=()
  frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$clip")
  case $kind in
    bgr24) convert=(-pix_fmt bgr24) ;;
    view) convert=(-vf "scale=${view%x*}:${view#*x}:force_original_aspect_ratio=decrease:flags=area" -pix_fmt bgr24) ;;
  esac
  ffmpeg -nostdin -hide_banner -nostats -benchmark -threads 2 -i "$clip" "${convert[@]}" -f null - 2>"$work/floor.log" ||
    fail "ffmpeg failed on $name: $(tail -n3 "$work/floor.log")"
  awk -v n="$frames" '/^bench: utime=/ { split($2, u, "="); split($3, s, "="); split($4, r, "=")
    printf "summary: cpu_ms %.2f wall_ms %.2f\n", (u[2] + s[2]) * 1000 / n, r[2] * 1000 / n }' "$work/floor.log"
}

# The figure NAME of every summary line in FILE: "min median".
min_median() {
  awk -v name="$2" '{ for (i = 2; i < NF; i += 2) if ($i == name) print $(i + 1) }' "$1" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR) printf "%s %s", v[1], v[int((NR + 1) / 2)]; else printf "- -" }'
}

IFS=, read -r -a names <<<"$files"
echo "making the media ($(load))" >&2
for name in "${names[@]}"; do
  make_clip "$name" "$((span + 10))"
  subtitles_beside "$name" "$((span + 10))"
done
echo "$rounds rounds of $span s, view $view" >&2
for round in $(seq "$rounds"); do
  for name in "${names[@]}"; do
    echo "round $round, $name, plexo (load $(load))" >&2
    plexo_play "$name" "$span" | tee -a "$work/$name.plexo" >/dev/null
    if [ -n "${SUBTITLES:-}" ]; then
      echo "round $round, $name, plexo with subtitles (load $(load))" >&2
      plexo_play "${name}_subs" "$span" | tee -a "$work/$name.subs" >/dev/null
    fi
    echo "round $round, $name, ffplay (load $(load))" >&2
    ffplay_play "$name" "$span" | tee -a "$work/$name.ffplay" >/dev/null
    if [ "${FLOOR:-1}" != 0 ]; then
      for kind in decode bgr24 view; do
        echo "round $round, $name, ffmpeg $kind (load $(load))" >&2
        ffmpeg_floor "$name" "$kind" | tee -a "$work/$name.$kind" >/dev/null
      done
    fi
  done
done

echo "| File | Player | Position ÷ wall | Frames shown/s | Shown of due, % | CPU a frame shown, ms | X server a frame, ms | Window thread CPU a frame, ms | Paint + pass a frame, ms | Late frames | Longest without a paint, ms |"
echo "|---|---|---|---|---|---|---|---|---|---|---|"
for name in "${names[@]}"; do
  for player in plexo ${SUBTITLES:+subs} ffplay; do
    line="| $name ($(mode_of "$name")) | $player"
    for figure in ratio shown_per_s shown_pct cpu_ms x_ms thread_ms paint_pass_ms late gap_ms; do
      read -r low mid <<<"$(min_median "$work/$name.$player" "$figure")"
      line+=" | $low / $mid"
    done
    echo "$line |"
  done
done
if [ "${FLOOR:-1}" != 0 ]; then
  echo
  echo "| File | ffmpeg -threads 2 | CPU a frame, ms | Wall a frame, ms | Plexo's CPU a frame shown (median) ÷ this (median) |"
  echo "|---|---|---|---|---|"
  for name in "${names[@]}"; do
    plexo_cpu=$(min_median "$work/$name.plexo" cpu_ms | cut -d' ' -f2)
    for kind in decode bgr24 view; do
      read -r low mid <<<"$(min_median "$work/$name.$kind" cpu_ms)"
      read -r wlow wmid <<<"$(min_median "$work/$name.$kind" wall_ms)"
      echo "| $name | $kind | $low / $mid | $wlow / $wmid | $(awk -v p="$plexo_cpu" -v f="$mid" 'BEGIN { printf (f > 0 ? "%.2f" : "-"), (f > 0 ? p / f : 0) }') |"
    done
  done
fi

if [ "$long_rounds" -gt 0 ]; then
  make_clip wide60_sbs "$((long + 10))"
  for round in $(seq "$long_rounds"); do
    echo "long round $round, wide60_sbs $long s (load $(load))" >&2
    plexo_play wide60_sbs "$long" >>"$work/long.plexo"
  done
  read -r low mid <<<"$(min_median "$work/long.plexo" shown_pct)"
  echo "wide60_sbs (dubois-red-cyan) over $long s, $long_rounds rounds: frames shown of due min $low %, median $mid %"
fi

if [ "$steps" -gt 0 ]; then
  for name in hd24_hsbs uhd60; do
    make_clip "$name" "$((span + 10))"
    echo "steps, $name (load $(load))" >&2
    "$program" step "$media/$name.mp4" "$(mode_of "$name")" "$steps" "$view" 2>"$work/plexo.err" | tee "$work/$name.step" >&2 ||
      fail "the viewer failed stepping $name: $(tail -n3 "$work/plexo.err")"
    read -r low mid <<<"$(min_median "$work/$name.step" step_median_ms)"
    echo "$name ($(mode_of "$name")) $steps steps: median $mid ms, longest $(min_median "$work/$name.step" step_max_ms | cut -d' ' -f1) ms"
  done
fi
align_rounds=${ALIGN_ROUNDS:-0}
if [ "$align_rounds" -gt 0 ]; then
  make_clip hd30 "$((span + 10))"
  printf '[View]\nSize=1\n[Settings]\nShift=3\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
  for round in $(seq "$align_rounds"); do
    for align in "" 1; do
      echo "align round $round, hd30 time-shift, aligned: ${align:-no} (load $(load))" >&2
      mode=dubois-red-cyan align=$align plexo_play hd30 "$span" >>"$work/align${align:-0}.plexo"
    done
  done
  align=""
  printf '[View]\nSize=1\n' >"$XDG_CONFIG_HOME/plexo/duvix.ini"
  read -r low0 mid0 <<<"$(min_median "$work/align0.plexo" shown_per_s)"
  read -r low1 mid1 <<<"$(min_median "$work/align1.plexo" shown_per_s)"
  read -r tlow0 tmid0 <<<"$(min_median "$work/align0.plexo" thread_ms)"
  read -r tlow1 tmid1 <<<"$(min_median "$work/align1.plexo" thread_ms)"
  echo "hd30 time-shift (Shift 3, dubois-red-cyan), $align_rounds rounds of $span s: frames shown/s without" \
    "alignment min $low0 median $mid0, every frame aligned min $low1 median $mid1" \
    "($(percent "$mid1" "$mid0") % of the median);" \
    "window thread CPU a frame $tmid0 -> $tmid1 ms"
fi
sphere_rounds=${SPHERE_ROUNDS:-0}
if [ "$sphere_rounds" -gt 0 ]; then
  make_clip vr30_180_sbs "$((span + 10))"
  ln -f "$media/vr30_180_sbs.mp4" "$media/vr30_flat_sbs.mp4"
  for round in $(seq "$sphere_rounds"); do
    for name in vr30_flat_sbs vr30_180_sbs; do
      echo "sphere round $round, $name (load $(load))" >&2
      plexo_play "$name" "$span" >>"$work/$name.plexo"
    done
  done
  read -r low0 mid0 <<<"$(min_median "$work/vr30_flat_sbs.plexo" shown_per_s)"
  read -r low1 mid1 <<<"$(min_median "$work/vr30_180_sbs.plexo" shown_per_s)"
  read -r rlow1 rmid1 <<<"$(min_median "$work/vr30_180_sbs.plexo" ratio)"
  read -r clow0 cmid0 <<<"$(min_median "$work/vr30_flat_sbs.plexo" cpu_ms)"
  read -r clow1 cmid1 <<<"$(min_median "$work/vr30_180_sbs.plexo" cpu_ms)"
  echo "vr30_180_sbs (dubois-red-cyan), $sphere_rounds rounds of $span s: frames shown/s flat min $low0 median $mid0," \
    "looked into min $low1 median $mid1" \
    "($(percent "$mid1" "$mid0") % of the median);" \
    "position / wall looked into min $rlow1 median $rmid1; CPU a frame shown $cmid0 -> $cmid1 ms"
  echo "drag, vr30_180_sbs (load $(load))" >&2
  "$program" drag "$media/vr30_180_sbs.mp4" dubois-red-cyan "${DRAG_MOVES:-20}" "$view" 2>"$work/plexo.err" |
    tee "$work/drag.plexo" >&2 || fail "the viewer failed dragging: $(tail -n3 "$work/plexo.err")"
  echo "vr30_180_sbs (dubois-red-cyan) drag: median $(awk '/^summary:/ { print $3 }' "$work/drag.plexo") ms," \
    "longest $(awk '/^summary:/ { print $5 }' "$work/drag.plexo") ms"
fi
echo "load at the end: $(load)"
