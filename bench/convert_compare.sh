#!/usr/bin/env bash
# Times plexo-tool convert against ffmpeg and ImageMagick on the same 100-frame
# 1920x1080 colour BMP sequence, in one run, and reports the ratios and the
# peak memory of each conversion.
#
#   bench/convert_compare.sh [WORK_DIR]
#
# Uses the release build in build/convert-rel (configured and built here).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${1:-${TMPDIR:-/tmp}/plexo-convert-bench}"
build="$root/build/convert-rel"
frames=100

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLEXO_TESTS=OFF -DPLEXO_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target plexo-tool >/dev/null
tool="$build/plexo-tool"

rm -rf "$work"
mkdir -p "$work/src" "$work/ffmpeg" "$work/mogrify"
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" -pix_fmt bgr24 \
  "$work/src/walk%04d.bmp"

# Runs a command under /usr/bin/time; prints "elapsed-seconds cpu-seconds
# peak-KiB". CPU time (user + system) is the steadier figure on a busy machine;
# the peers may use several cores, so elapsed time is shown as well.
measure() {
  local out
  out="$(mktemp)"
  /usr/bin/time -f '%e %U %S %M' -o "$out" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$out" | awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'
  rm -f "$out"
}

# Writes its JPEG files beside the source, so the copies go in their own folder.
mkdir -p "$work/plexo"
cp "$work"/src/*.bmp "$work/plexo/"
read -r ours_s ours_cpu ours_kb < <(measure "$tool" convert bmp-jpg "$work/plexo/walk0001.bmp" --factor 2 --quality 95)
read -r ff_s ff_cpu ff_kb < <(measure ffmpeg -loglevel error -y -i "$work/src/walk%04d.bmp" -vf scale=iw/2:ih/2 -q:v 2 \
  "$work/ffmpeg/walk%04d.jpg")
read -r mg_s mg_cpu mg_kb < <(measure mogrify -path "$work/mogrify" -format jpg -scale 50% -quality 95 \
  -sampling-factor 2x2 "$work"/src/*.bmp)
read -r flm_s flm_cpu flm_kb < <(measure "$tool" convert bmp-flm "$work/src/walk0001.bmp" --compress jpeg --quality 95)
read -r back_s back_cpu back_kb < <(measure "$tool" convert flm-bmp "$work/src/walk0.flm")
# What the tool holds before any picture: the rest of a peak is pictures.
read -r _ _ base_kb < <(measure "$tool" convert flm-bmp "$work/none.flm")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
fps() { awk -v s="$1" -v n="$frames" 'BEGIN { printf "%.1f", (s > 0 ? n / s : 0) }'; }

for check in "$work/plexo/walk0100.jpg" "$work/ffmpeg/walk0100.jpg" "$work/mogrify/walk0100.jpg" \
  "$work/src/walk0.flm" "$work/src/walk0100.bmp"; do
  [ -s "$check" ] || { echo "missing output $check" >&2; exit 1; }
done

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
echo "$frames frames of 1920x1080 colour BMP, $(nproc) cores; one colour picture is 5.9 MiB"
printf '%-40s %8s %8s %8s %9s\n' "conversion" "elapsed" "fps" "cpu s" "peak MiB"
row() { printf '%-40s %8s %8s %8s %9s\n' "$1" "$2" "$(fps "$2")" "$3" "$(mib "$4")"; }
row "plexo bmp-jpg factor 2 quality 95" "$ours_s" "$ours_cpu" "$ours_kb"
row "ffmpeg scale=iw/2:ih/2 -q:v 2" "$ff_s" "$ff_cpu" "$ff_kb"
row "mogrify -scale 50% -quality 95" "$mg_s" "$mg_cpu" "$mg_kb"
row "plexo bmp-flm JPEG frames quality 95" "$flm_s" "$flm_cpu" "$flm_kb"
row "plexo flm-bmp" "$back_s" "$back_cpu" "$back_kb"
echo "plexo-tool without a film: peak $(mib "$base_kb") MiB"
echo "bmp-jpg elapsed: ffmpeg takes $(ratio "$ff_s" "$ours_s") x our time, mogrify $(ratio "$mg_s" "$ours_s") x"
echo "bmp-jpg cpu:     ffmpeg takes $(ratio "$ff_cpu" "$ours_cpu") x our time, mogrify $(ratio "$mg_cpu" "$ours_cpu") x"
