#!/usr/bin/env bash
# Opening a 10,000-file numbered sequence as a process, against `ls` listing
# (and sorting) the same folder: `plexo-tool info` opens the film, walks its
# frame numbers and reads the first frame. Rounds alternate the two, and
# each reports its least and median time. (decode_bench's
# BM_OpenSequence10000 and BM_ReaddirSort10000 make the in-process
# comparison.)
#
#   bench/sequence_ls.sh            # PLEXO_TOOL names the tool, ROUNDS the rounds
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="${PLEXO_TOOL:-$root/build/bench/plexo-tool}"
rounds="${ROUNDS:-7}"
[ -x "$tool" ] || { echo "no $tool: cmake --preset bench && cmake --build --preset bench" >&2; exit 1; }

folder="$(mktemp -d "${TMPDIR:-/tmp}/plexo-sequence-XXXXXX")"
trap 'rm -rf "$folder"' EXIT
for i in $(seq 0 9999); do printf -v name 'take%04d.bmp' $(( (i * 7919) % 10000 )); : >"$folder/$name"; done
# The first frame is a real 1 x 1 bitmap, the others are never read.
printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' \
  >"$folder/take0000.bmp"
"$tool" info "$folder/take0001.bmp" >/dev/null
ls "$folder" >/dev/null

# Microseconds one run of the command takes.
micros() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
# The least and the median of the numbers on stdin.
least_median() { sort -n | awk '{ v[NR] = $1 } END { printf "%d %d\n", v[1], v[int((NR + 1) / 2)] }'; }

ours=() theirs=()
for _ in $(seq "$rounds"); do
  ours+=("$(micros "$tool" info "$folder/take0001.bmp")")
  theirs+=("$(micros ls "$folder")")
done
read -r ours_min ours_med < <(printf '%s\n' "${ours[@]}" | least_median)
read -r ls_min ls_med < <(printf '%s\n' "${theirs[@]}" | least_median)
echo "10000-file sequence, $rounds interleaved rounds, microseconds (least, median)"
printf '%-34s %8s %8s\n' "plexo-tool info take0001.bmp" "$ours_min" "$ours_med"
printf '%-34s %8s %8s\n' "ls" "$ls_min" "$ls_med"
awk -v a="$ours_med" -v b="$ls_med" 'BEGIN { printf "plexo-tool info takes %.2f x the time of ls (medians)\n", a / b }'
