#!/usr/bin/env bash
# plexo-tool convert against ffmpeg and ImageMagick doing the same work on the
# same 100-frame 1920x1080 colour BMP sequence: halve each frame by averaging
# 2 x 2 blocks and write it as a baseline JPEG with 4:2:0 chroma and fixed
# Huffman tables. Rounds run the tools one after the other, so each sees the
# same machine; each tool reports its least and median elapsed time, CPU
# time and peak memory. Our .flm round trip runs in the same rounds.
#
#   bench/convert_compare.sh        # PLEXO_TOOL names the tool, ROUNDS the rounds
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${PLEXO_TOOL:-$root/build/bench/plexo-tool}"
rounds="${ROUNDS:-5}"
frames=100
[ -x "$tool" ] || { echo "no $tool: cmake --preset bench && cmake --build --preset bench" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/plexo-convert-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/ffmpeg" "$work/mogrify" "$work/plexo"
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" -pix_fmt bgr24 \
  "$work/src/walk%04d.bmp"
# Our converter writes beside its source, so it gets a copy of its own.
cp "$work"/src/*.bmp "$work/plexo/"

# One run under /usr/bin/time: "elapsed-seconds cpu-seconds peak-KiB".
measure() {
  local out
  out="$(mktemp)"
  /usr/bin/time -f '%e %U %S %M' -o "$out" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$out" | awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'
  rm -f "$out"
}

declare -A runs
names=(ours ffmpeg mogrify flm back)
labels=("plexo bmp-jpg --factor 2 --quality 95"
  "ffmpeg scale=area yuvj420p -q:v 1"
  "mogrify -scale 50% -quality 95 2x2"
  "plexo bmp-flm --compress jpeg q95"
  "plexo flm-bmp")
for round in $(seq "$rounds"); do
  runs[ours]+="$(measure "$tool" convert bmp-jpg "$work/plexo/walk0001.bmp" --factor 2 --quality 95)"$'\n'
  runs[ffmpeg]+="$(measure ffmpeg -loglevel error -y -i "$work/src/walk%04d.bmp" \
    -vf scale=iw/2:ih/2:flags=area -pix_fmt yuvj420p -qmin 1 -q:v 1 "$work/ffmpeg/walk%04d.jpg")"$'\n'
  runs[mogrify]+="$(measure mogrify -path "$work/mogrify" -format jpg -scale 50% -quality 95 \
    -sampling-factor 2x2 -define jpeg:optimize-coding=false "$work"/src/*.bmp)"$'\n'
  runs[flm]+="$(measure "$tool" convert bmp-flm "$work/src/walk0001.bmp" --compress jpeg --quality 95)"$'\n'
  runs[back]+="$(measure "$tool" convert flm-bmp "$work/src/walk0.flm")"$'\n'
  echo "round $round of $rounds done" >&2
done

for check in "$work/plexo/walk0100.jpg" "$work/ffmpeg/walk0100.jpg" "$work/mogrify/walk0100.jpg" \
  "$work/src/walk0.flm" "$work/src/walk0100.bmp"; do
  [ -s "$check" ] || { echo "missing output $check" >&2; exit 1; }
done

# Field $1 of the runs on stdin: "least median".
least_median() {
  awk -v f="$1" 'NF { print $f }' | sort -g | awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)] }'
}

echo "$frames frames of 1920x1080 colour BMP, $(nproc) cores, $rounds interleaved rounds; load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %17s %17s %9s\n' "conversion" "elapsed s (min med)" "cpu s (min med)" "peak MiB"
declare -A median
for i in "${!names[@]}"; do
  name="${names[$i]}"
  read -r e_min e_med < <(printf '%s' "${runs[$name]}" | least_median 1)
  read -r c_min c_med < <(printf '%s' "${runs[$name]}" | least_median 2)
  read -r _ k_med < <(printf '%s' "${runs[$name]}" | least_median 3)
  median[$name]="$e_med"
  printf '%-40s %8s %8s %8s %8s %9.1f\n' "${labels[$i]}" "$e_min" "$e_med" "$c_min" "$c_med" \
    "$(awk -v k="$k_med" 'BEGIN { print k / 1024 }')"
done
awk -v o="${median[ours]}" -v f="${median[ffmpeg]}" -v m="${median[mogrify]}" \
  'BEGIN { printf "bmp-jpg median elapsed: ffmpeg takes %.2f x our time, mogrify %.2f x\n", f / o, m / o }'
