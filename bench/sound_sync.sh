#!/usr/bin/env bash
# Sound against picture: a film with a white flash and a 1 kHz beep at the
# same time each second (half a second into it, so that a seek to the start
# lands between two), played by ffplay and then by the viewer in the same
# job, under Xvfb and a PulseAudio server of the script's own. One ffmpeg
# records the screen (x11grab) and the null sink's monitor (-f pulse) with
# their wall-clock times (-copyts); each flash is paired with the beep
# nearest it. Printed per player: the median offset (beep minus flash,
# positive: the sound late), its range, the drift (the change of the offset
# from the first quarter of the run to the last), the events seen, and the
# player's CPU seconds over the recording. Then, unless CYCLES is 0, the
# viewer is driven by keys (xdotool): CYCLES seeks to the start (Home) while
# playing, then CYCLES stops and plays (K, K); printed per kind: how far the
# first beep after each key lies from the run's steady offset. Last, through
# the sound layer alone (tests/audio/pulse's sound_check): the time from Play
# to the first sound heard, from four points of the film twice, and how long
# the picture waits on a fault (garbled sound, no device, no server).
#
#   bench/sound_sync.sh [SECONDS]   # PLEXO, SOUND_CHECK name the programs,
#                                   # PLAYERS which run ("ffplay plexo"),
#                                   # CYCLES how many of each (20),
#                                   # PRESENTATIONS the viewer's ("plain"),
#                                   # SIZE the film's picture (320x240)
#
# Each presentation other than plain is shown with /stereo and a partner
# offset of 0, so that both eyes flash together and the flash's onset is the
# frame's; its run is named plexo-PRESENTATION.
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

cycles="${CYCLES:-20}"
# The key-driven run plays about 3 s of film a cycle from wherever it stood.
length=$((seconds + 4 > 3 * cycles + 10 ? seconds + 4 : 3 * cycles + 10))
ffmpeg -loglevel error -f lavfi -i "color=black:s=${SIZE:-320x240}:r=25:d=$length,drawbox=c=white:t=fill:enable='between(mod(n\,25)\,12\,13)'" \
  -f lavfi -i "aevalsrc=if(between(mod(t\,1)\,0.48\,0.52)\,0.8*sin(2*PI*1000*t)\,0):s=48000:d=$length" \
  -c:v libx264 -pix_fmt yuv420p -g 25 -c:a aac -b:a 128k "$work/film.mp4"

cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo "-"; }

# capture NAME SECONDS: the screen and the sink's monitor, both stamped on
# the wall clock by their inputs and kept so (-copyts alone: -start_at_zero
# would move each input to zero by its own first time, which differ, and
# put that difference into every offset), so that key times line up too.
capture() {
  ffmpeg -loglevel error -copyts -thread_queue_size 512 -f x11grab -framerate 50 -video_size 640x480 \
    -t "$2" -i "$DISPLAY" -thread_queue_size 512 \
    -f pulse -t "$2" -i plexo_test.monitor -c:v ffv1 -c:a pcm_s16le "$work/$1.mkv"
}

# record NAME COMMAND...: the player started, recorded for SECONDS after two
# seconds to settle, its CPU over the recording, then ended.
record() {
  local name=$1 pid cpu0
  shift
  "$@" >"$work/$name.log" 2>&1 &
  pid=$!
  sleep 2
  cpu0=$(cpu_seconds "$pid")
  capture "$name" "$seconds"
  echo "$name cpu $(awk -v a="$cpu0" -v b="$(cpu_seconds "$pid")" 'BEGIN { printf "%.2f", b - a }') s" >"$work/$name.cpu"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# key KIND KEY: the wall time, then the key to the viewer's window.
key() {
  date +"$1 %s.%N" >>"$work/cycles.keys"
  xdotool key --clearmodifiers "$2"
}

# drive: the viewer played, then CYCLES seeks to the start and CYCLES stops
# and plays, recorded whole.
drive() {
  local pid window
  env ASAN_OPTIONS=detect_leaks=0 "$plexo" "$work/film.mp4" /play >"$work/cycles.log" 2>&1 &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --pid "$pid" | tail -n1)
  xdotool windowfocus --sync "$window"
  sleep 2
  : >"$work/cycles.keys"
  capture cycles $((cycles * 6 + 4)) &
  local capture_pid=$!
  sleep 1.5
  for _ in $(seq "$cycles"); do key seek Home; sleep 2.2; done
  for _ in $(seq "$cycles"); do key stop k; sleep 0.6; key play k; sleep 2.2; done
  wait "$capture_pid"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "cycles" >"$work/cycles.cpu"
}

# offsets NAME: the flash and beep times and their pairing; with a keys file
# beside it, the first pair after each key against the steady offset.
offsets() {
  local name=$1
  ffmpeg -loglevel error -i "$work/$name.mkv" -map 0:v -copyts \
    -vf "signalstats,metadata=print:key=lavfi.signalstats.YAVG:file=$work/$name.luma" -f null -
  ffprobe -v error -select_streams a -show_entries stream=start_time -of csv=p=0 "$work/$name.mkv" >"$work/$name.start"
  # The printed pts_time is rounded to six digits: the pts and its time base.
  ffprobe -v error -select_streams v -show_entries stream=time_base -of csv=p=0 "$work/$name.mkv" >"$work/$name.base"
  # Samples placed by the capture's times, so that a sample's place is its
  # time to 5 ms: gaps filled and overlaps cut as soon as they pass 5 ms
  # (by default only past 100 ms, and what is less is stretched at one
  # sample a second, 21 ppm: the monitor's clock, tens of ppm off the wall
  # clock, then showed as drift; stretching faster moves the beeps near a
  # gap instead).
  ffmpeg -loglevel error -i "$work/$name.mkv" -map 0:a -af aresample=async=1:min_hard_comp=0.005 -ac 1 -ar 48000 -f f32le \
    "$work/$name.raw"
  python3 - "$work/$name" "$(cat "$work/$name.cpu")" <<'PY'
import os, struct, sys, statistics
base = sys.argv[1]
num, den = map(int, open(base + ".base").read().split("/"))
# A flash whose onset follows a gap in the capture (a grab late under load)
# is not timed: the gap, not the player, would set its offset.
# The flash's threshold is midway between the darkest and brightest screen
# of the run: an anaglyph's flash is dimmer than a white one.
lumas = [float(line.split("=")[1]) for line in open(base + ".luma") if "YAVG" in line]
middle = (min(lumas, default=0) + max(lumas, default=0)) / 2
flashes, last, unseen = [], 0.0, 0
t = before = None
for line in open(base + ".luma"):
    if line.startswith("frame:"):
        before, t = t, int(line.split("pts:")[1].split()[0]) * num / den
    elif "YAVG" in line:
        y = float(line.split("=")[1])
        if y > middle and last <= middle:
            if before is not None and t - before > 0.03:
                unseen += 1
            else:
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
print("%s: median %.1f ms, range %.1f .. %.1f ms, drift %.1f ms, %d events (%d after a capture gap left out), %s" %
      (base.rsplit("/", 1)[1], statistics.median(offs), min(offs), max(offs), drift, len(offs), unseen, sys.argv[2]))
if os.path.exists(base + ".keys"):
    steady = statistics.median(offs)
    firsts = {}
    for line in open(base + ".keys"):
        kind, at = line.split()
        if kind == "stop":
            continue
        after = [(f, o) for f, o in pairs if f > float(at)]
        firsts.setdefault(kind, []).append(after[0][1] - steady if after else None)
    for kind, gaps in firsts.items():
        seen = [g for g in gaps if g is not None]
        print("  first beep after %s: %d of %d seen, from the steady offset %s; worst %.1f ms" %
              (kind, len(seen), len(gaps), " ".join("%+.0f" % g for g in seen), max(map(abs, seen), default=0)))
PY
}

players="${PLAYERS:-ffplay plexo}"
runs=
case " $players " in *" ffplay "*)
  record ffplay ffplay -loglevel error -autoexit -left 0 -top 0 "$work/film.mp4"
  runs="ffplay" ;;
esac
case " $players " in *" plexo "*)
  for presentation in ${PRESENTATIONS:-plain}; do
    if [ "$presentation" = plain ]; then
      rm -f "$XDG_CONFIG_HOME/plexo/duvix.ini"
      record plexo env ASAN_OPTIONS=detect_leaks=0 "$plexo" "$work/film.mp4" /play
      runs="$runs plexo"
    else
      printf '[View]\nPresentation=%s\n' "$presentation" >"$XDG_CONFIG_HOME/plexo/duvix.ini"
      record "plexo-$presentation" env ASAN_OPTIONS=detect_leaks=0 "$plexo" "$work/film.mp4" /play /stereo /A=0
      runs="$runs plexo-$presentation"
    fi
  done
  rm -f "$XDG_CONFIG_HOME/plexo/duvix.ini" ;;
esac
for run in $runs; do offsets "$run"; done
if [ "$cycles" -gt 0 ] && command -v xdotool >/dev/null; then
  drive
  offsets cycles
fi

# The sound layer alone: Play to the first sound, and seeks.
if [ -x "$check" ]; then
  for from in 0.5 3.5 7.5 11.5 0.5 3.5 7.5 11.5; do
    "$check" play "$work/film.mp4" "$from" 1 "$(awk -v f="$from" 'BEGIN { print f + 0.2 }')" 2>&1 >/dev/null |
      sed "s/^/play from $from: /"
  done
  # Faults: how long the picture waits for the sound (Play to the position
  # moving, or to its fall-back to the wall clock).
  ffmpeg -loglevel error -f lavfi -i "color=black:s=320x240:r=25:d=20" -f lavfi -i "sine=f=1000:sample_rate=48000:d=20" \
    -c:v libx264 -c:a mp2 -bsf:a noise=amount=1 "$work/garbled.mkv"
  "$check" play "$work/garbled.mkv" 0.5 1 15 2>&1 >/dev/null | sed "s/^/garbled sound: /" || true
  module=$(pactl list short modules | awk '$2 == "module-null-sink" { print $1 }')
  pactl unload-module "$module"
  "$check" play "$work/film.mp4" 0.5 1 2 2>&1 >/dev/null | sed "s/^/no device: /" || true
  pulse_stop
  "$check" play "$work/film.mp4" 0.5 1 2 2>&1 >/dev/null | sed "s/^/no server: /" || true
fi
