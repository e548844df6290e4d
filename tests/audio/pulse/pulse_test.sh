#!/usr/bin/env bash
# Plays a film's sound through a real PulseAudio server and records the null
# sink's monitor with parec. The player stops once the position it reports
# reaches STOP; the beep, 1 s into the film, must then have been heard
# (STOP - 1) / SPEED before the sound ended, less up to 50 ms for the stop:
# where the position said, and silenced in time. Then the device and then
# the server go away, and the player must fall back with one line each time.
set -euo pipefail
check=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
for program in pulseaudio parec pactl ffmpeg; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done
. "$(dirname "$0")/pulse_server.sh"
work=$(mktemp -d /tmp/plexo-pulse-XXXXXX)
parec_pid=""
cleanup() {
  [ -n "$parec_pid" ] && kill "$parec_pid" 2>/dev/null || true
  pulse_stop || true
  [ -n "${PLEXO_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
pulse_start "$work"

# A quiet 440 Hz tone throughout, so that the end of the sound shows when the
# stream stopped, and a loud 1 kHz beep at 1 s.
ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=3 -f lavfi \
  -i 'aevalsrc=0.05*sin(2*PI*440*t)+if(between(t\,1\,1.1)\,0.8*sin(2*PI*1000*t)\,0):s=48000:d=3' \
  -map 0:v -map 1:a -c:v libx264 -pix_fmt yuv420p -c:a pcm_s16le "$work/beep.mkv"

# FROM SPEED STOP SLACK(ms): how much early the end may be, the tempo's
# windows included.
while read -r from speed stop slack; do
  parec -d plexo_test.monitor --raw --format=float32le --rate=48000 --channels=1 --latency-msec=10 \
    >"$work/heard.raw" &
  parec_pid=$!
  # The recording is running once its file grows.
  for _ in $(seq 100); do [ -s "$work/heard.raw" ] && break; sleep 0.05; done
  stopped=$("$check" play "$work/beep.mkv" "$from" "$speed" "$stop") || fail "play $from $speed: status $?"
  # A further 0.3 s recorded shows that what the server still had when the
  # stream went was not heard.
  size=$(($(stat -c %s "$work/heard.raw") + 57600))
  for _ in $(seq 100); do [ "$(stat -c %s "$work/heard.raw")" -ge "$size" ] && break; sleep 0.05; done
  kill "$parec_pid"; wait "$parec_pid" 2>/dev/null || true; parec_pid=""
  # Where the loud beep starts and where the last sound is, in seconds.
  read -r beep last < <(od -An -v -tf4 -w4 "$work/heard.raw" | awk 'BEGIN { b = -1 }
    { v = $1 < 0 ? -$1 : $1; if (v > 0.01) l = NR; if (b < 0 && v > 0.3) b = NR }
    END { if (b < 0) exit 1; printf "%.5f %.5f\n", b / 48000, l / 48000 }') || fail "nothing heard at $from $speed"
  # The film time the sound ended at, as the beep places it, past the position
  # read at the stop, in seconds of playing.
  past=$(awk -v b="$beep" -v l="$last" -v s="$speed" -v stop="$stopped" 'BEGIN { printf "%.4f", (1 + (l - b) * s - stop / 1e6) / s }')
  awk -v p="$past" -v slack="$slack" 'BEGIN { exit !(p >= -slack / 1000 && p <= 0.05) }' ||
    fail "from $from at $speed: the sound ended $past s past the position at the stop"
  echo "ok: from $from at $speed: the sound ended $past s past the position at the stop"
done <<'ROWS'
0 1 1.5 2
0.5 1 1.5 2
0 2 1.6 25
0.2 0.5 1.3 25
ROWS

"$check" stop && echo "ok: a Stop before a Start or while it waits ends it quietly" || fail "a Stop during a Start"
# A server without its device (a busy sound card's sink is not loaded): the
# stream is refused, the position empties and one line says why.
module=$(pactl list short modules | awk '$2 == "module-null-sink" { print $1 }')
pactl unload-module "$module"
status=0; "$check" play "$work/beep.mkv" 0 1 2.5 >/dev/null 2>"$work/busy.log" || status=$?
[ "$status" = 2 ] || fail "the player went on without a device (status $status)"
grep -c "No sound: " "$work/busy.log" | grep -qx 1 || fail "not one line for the missing device: $(cat "$work/busy.log")"
grep -q "^No sound: the sound device is busy or gone" "$work/busy.log" || fail "no line for the missing device: $(cat "$work/busy.log")"
echo "ok: no device: $(cat "$work/busy.log")"
pactl load-module module-null-sink sink_name=plexo_test rate=48000 >/dev/null

# The server goes away mid-play: the position empties and one line says why.
"$check" play "$work/beep.mkv" 0 1 2.5 >/dev/null 2>"$work/gone.log" &
play_pid=$!
for _ in $(seq 100); do pactl list short sink-inputs 2>/dev/null | grep -q . && break; sleep 0.05; done
pulse_stop
status=0; wait "$play_pid" || status=$?
[ "$status" = 2 ] || fail "the player went on without its server (status $status)"
grep -c "No sound: " "$work/gone.log" | grep -qx 1 || fail "not one line on the server's going: $(cat "$work/gone.log")"
echo "ok: server gone: $(cat "$work/gone.log")"

# No server at all: the same fall-back, at once.
status=0; "$check" play "$work/beep.mkv" 0 1 2.5 >/dev/null 2>"$work/none.log" || status=$?
[ "$status" = 2 ] || fail "the player went on without a server (status $status)"
grep -q "^No sound: no sound server" "$work/none.log" || fail "no line for the missing server: $(cat "$work/none.log")"
echo "ok: no server: $(cat "$work/none.log")"
