#!/usr/bin/env bash
# Sound against picture: a film with a white flash and a 1 kHz beep at the
# same time each second, played by ffplay and then by the viewer in the same
# job, under Xvfb and a PulseAudio server of the script's own. One ffmpeg
# records the screen (x11grab) and the null sink's monitor (-f pulse) with
# their wall-clock times (-copyts); each flash is paired with the beep
# nearest it. Printed per player: the median offset (beep minus flash,
# positive: the sound late), its range, the drift (the change of the offset
# from the first quarter of the run to the last), the events seen, and the
# player's CPU seconds over the recording. Then the time from Play to the
# first sound heard, from four points of the film twice, through the sound
# layer alone (tests/audio/pulse's sound_check).
#
#   bench/sound_sync.sh [SECONDS]   # PLEXO, SOUND_CHECK name the programs,
#                                   # PLAYERS which run ("ffplay plexo")
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
plexo="${PLEXO:-$root/build/bench/src/app/plexo}"
check="${SOUND_CHECK:-$root/build/bench/tests/sound_check}"
seconds="${1:-20}"
for program in Xvfb ffmpeg ffplay pulseaudio pactl python3; do
  command -v "$program" >/dev/null || { echo "$program is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
[ -x "$plexo" ] || { echo "no $plexo" >&2; exit 1; }

fail() { echo "sound_sync: $*" >&2; exit 1; }
# shellcheck source=../tests/support/x_server.sh
. "$root/tests/support/x_server.sh"
# shellcheck source=../tests/audio/pulse/pulse_server.sh
. "$root/tests/audio/pulse/pulse_server.sh"
x_begin sound-sync
trap 'x_cleanup; pulse_stop' EXIT
x_start Xvfb -screen 0 640x480x24 -nolisten tcp
pulse_start "$work"
export XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=pulseaudio
unset PLEXO_SETTINGS_FILE
mkdir -p "$XDG_CONFIG_HOME/plexo"

length=$((seconds + 4))
ffmpeg -loglevel error -f lavfi -i "color=black:s=320x240:r=25:d=$length,format=gray,geq=lum='if(lt(mod(N\,25)\,2)\,255\,0)'" \
  -f lavfi -i "aevalsrc=if(lt(mod(t\,1)\,0.04)\,0.8*sin(2*PI*1000*t)\,0):s=48000:d=$length" \
  -c:v libx264 -pix_fmt yuv420p -g 25 -c:a aac -b:a 128k "$work/film.mp4"

cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo "-"; }

# record NAME COMMAND...: the player started, recorded for SECONDS after two
# seconds to settle, its CPU over the recording, then ended.
record() {
  local name=$1 pid cpu0
  shift
  "$@" >"$work/$name.log" 2>&1 &
  pid=$!
  sleep 2
  cpu0=$(cpu_seconds "$pid")
  ffmpeg -loglevel error -copyts -start_at_zero -thread_queue_size 512 -f x11grab -framerate 50 -video_size 640x480 \
    -i "$DISPLAY" -thread_queue_size 512 \
    -f pulse -i plexo_test.monitor -t "$seconds" -c:v ffv1 -c:a pcm_s16le "$work/$name.mkv"
  echo "$name cpu $(awk -v a="$cpu0" -v b="$(cpu_seconds "$pid")" 'BEGIN { printf "%.2f", b - a }') s" >"$work/$name.cpu"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# offsets NAME: the flash and beep times and their pairing.
offsets() {
  local name=$1
  ffmpeg -loglevel error -i "$work/$name.mkv" -map 0:v -copyts \
    -vf "signalstats,metadata=print:key=lavfi.signalstats.YAVG:file=$work/$name.luma" -f null -
  ffprobe -v error -select_streams a -show_entries stream=start_time -of csv=p=0 "$work/$name.mkv" >"$work/$name.start"
  # Gaps in the capture are filled by its times, so a sample's place is its time.
  ffmpeg -loglevel error -i "$work/$name.mkv" -map 0:a -af aresample=async=1 -ac 1 -ar 48000 -f f32le \
    "$work/$name.raw"
  python3 - "$work/$name" "$(cat "$work/$name.cpu")" <<'PY'
import struct, sys, statistics
base = sys.argv[1]
flashes, last = [], 0.0
t = None
for line in open(base + ".luma"):
    if line.startswith("frame:"):
        t = float(line.split("pts_time:")[1])
    elif "YAVG" in line:
        y = float(line.split("=")[1])
        if y > 60 and last <= 60:
            flashes.append(t)
        last = y
start = float(open(base + ".start").read())
data = open(base + ".raw", "rb").read()
samples = struct.unpack("%df" % (len(data) // 4), data)
beeps, quiet = [], 48000
for i, s in enumerate(samples):
    if abs(s) > 0.2:
        if quiet > 24000:
            beeps.append(start + i / 48000)
        quiet = 0
    else:
        quiet += 1
pairs = []
for f in flashes:
    if beeps:
        b = min(beeps, key=lambda b: abs(b - f))
        if abs(b - f) < 0.5:
            pairs.append((f, (b - f) * 1000))
if not pairs:
    print("%s: no flash with a beep (%d flashes, %d beeps)" % (base, len(flashes), len(beeps)))
    sys.exit(0)
offs = [o for _, o in pairs]
q = max(1, len(offs) // 4)
drift = statistics.median(offs[-q:]) - statistics.median(offs[:q])
print("%s: median %.1f ms, range %.1f .. %.1f ms, drift %.1f ms, %d events, %s" %
      (base.rsplit("/", 1)[1], statistics.median(offs), min(offs), max(offs), drift, len(offs), sys.argv[2]))
PY
}

players="${PLAYERS:-ffplay plexo}"
case " $players " in *" ffplay "*) record ffplay ffplay -loglevel error -autoexit -left 0 -top 0 "$work/film.mp4" ;; esac
case " $players " in *" plexo "*) record plexo env ASAN_OPTIONS=detect_leaks=0 "$plexo" "$work/film.mp4" /play ;; esac
for player in $players; do offsets "$player"; done

# The sound layer alone: Play to the first sound, and seeks.
if [ -x "$check" ]; then
  for from in 0.5 3.5 7.5 11.5 0.5 3.5 7.5 11.5; do
    "$check" play "$work/film.mp4" "$from" 1 "$(awk -v f="$from" 'BEGIN { print f + 0.2 }')" 2>&1 >/dev/null |
      sed "s/^/play from $from: /"
  done
fi
