#!/usr/bin/env bash
# The reference for opening a 10,000-file numbered sequence: the time `ls`
# takes to list (and sort) the same folder. decode_bench's
# BM_OpenSequence10000 measures the film doing one scan and one sort.
set -euo pipefail
folder="$(mktemp -d "${TMPDIR:-/tmp}/plexo-sequence-XXXXXX")"
trap 'rm -rf "$folder"' EXIT
for i in $(seq 0 9999); do printf -v name 'take%04d.bmp' $(( (i * 7919) % 10000 )); : >"$folder/$name"; done
ls "$folder" >/dev/null
runs=20
start=$(date +%s%N)
for _ in $(seq $runs); do ls "$folder" >/dev/null; done
end=$(date +%s%N)
echo "ls of 10000 files: $(( (end - start) / runs / 1000 )) us per run (mean of $runs)"
