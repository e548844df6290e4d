#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang and runs each for a
# bounded time. Usage: scripts/fuzz.sh [SECONDS_EACH] [HARNESS...]
# (default 20 seconds each, every harness). The committed seeds are read; what
# the fuzzer learns goes to build/fuzz/corpus/<harness>, and a finding is
# saved in build/fuzz/findings/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(flm bmp jpeg mpo jps png_tiff layout_name pair settings registry driver viewer_args tool_args film_record video
  vr_photo
  cues
  ass
  picture_subtitle
  align_model
  depth
  sound
  playlist
  heic
)

build=build/fuzz
# The readers take files: keep them in memory where the system allows, in a
# folder removed at the end, since every harness run leaves its inputs' folder.
base=/tmp
[ -d /dev/shm ] && base=/dev/shm
scratch=$(mktemp -d "${TMPDIR:-$base}/plexo-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" > /dev/null
fi
cmake --build "$build" -j2 > /dev/null

mkdir -p "$build/findings"
failed=()
for h in "${harnesses[@]}"; do
  seeds=tests/fuzz/corpus/$h
  work=$build/corpus/$h
  mkdir -p "$work"
  echo "fuzz: $h for ${seconds}s"
  # A picture or a settings file can be a few kilobytes; an input that runs
  # a minute (generous: a loaded machine runs a sanitized build slowly) or
  # needs 2 GB is a finding of its own.
  if ! "$build/${h}_fuzz" "$work" "$seeds" -max_total_time="$seconds" -max_len=16384 -timeout=60 \
      -rss_limit_mb=2048 -artifact_prefix="$build/findings/$h-" -print_final_stats=1 2> "$build/$h.log"; then
    failed+=("$h")
    tail -n 40 "$build/$h.log" >&2
  fi
  grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$build/$h.log" | tail -n 2 || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs in $build/findings)" >&2
  exit 1
fi
