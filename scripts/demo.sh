#!/usr/bin/env bash
# Installs, builds and shows the bundled demo film.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
demo_dir="${XDG_RUNTIME_DIR:-/tmp}/plexo-demo"
mkdir -p "$demo_dir"
for i in 1 2 3 4 5 6 7 8; do
  convert -size 64x48 "plasma:fractal" -seed "$i" "BMP3:$demo_dir/take000$i.bmp" 2>/dev/null ||
    convert -size 64x48 xc:gray "BMP3:$demo_dir/take000$i.bmp"
done
./build/release/plexo-tool info "$demo_dir/take0001.bmp"
