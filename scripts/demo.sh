#!/usr/bin/env bash
# Installs, builds and shows the bundled demo film in red-blue stereo, playing.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
demo_dir="${XDG_RUNTIME_DIR:-/tmp}/plexo-demo"
mkdir -p "$demo_dir"
./build/release/plexo-tool demo "$demo_dir/demo.flm"
# The camera moves left, so the frame four earlier is the other eye: A=-4.
# (Without A= the command line pairs each frame with the one four later.)
exec ./build/release/src/app/plexo "$demo_dir/demo.flm" /stereo /play /A=-4
