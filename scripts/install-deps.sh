#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and benchmarking need.
# With --list it only prints them, one a line.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6opengl6-dev libgl-dev libturbojpeg0-dev libxrandr-dev libxcb1-dev libxcb-shm0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick libjpeg-turbo-progs time ffmpeg lintian
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xdotool
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libavfilter-dev libswresample-dev
  libpulse-dev pulseaudio pulseaudio-utils libass-dev
  libopencv-features2d-dev libopencv-calib3d-dev libopencv-imgproc-dev libopencv-imgcodecs-dev hugin-tools
  clang libclang-rt-14-dev
  desktop-file-utils libxml2-utils shared-mime-info dpkg-dev
  libgl1-mesa-dri x11-utils openbox
  libimage-exiftool-perl python3-pil
  libheif-dev libheif-examples
)
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
