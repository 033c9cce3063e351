#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the program need and the machine lacks.
# Safe to run again: it installs nothing when every package is present.
# clang builds the fuzzers; libclang-rt-dev holds libFuzzer and clang's sanitizer runtimes,
# which clang alone (installed without recommends) lacks. lld links the test programs faster.
# Qt Charts' CMake package needs Qt OpenGL's, which Debian ships in libqt6opengl6-dev.
# OpenCV comes as its two modules only: the meta-package libopencv-dev would bring Qt 5.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev
  qt6-charts-dev libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsimdjson-dev
  libopencv-imgproc-dev
  libexiv2-dev
  fonts-liberation2
  clang libclang-rt-dev lld
)
# Without a display the program can still be run under a virtual X server.
if [ "${1:-}" = "--run" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  packages+=(xvfb xauth)
fi
# A Debian package's dependencies are read from its libraries by dpkg-shlibdeps.
if [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Only root installs packages: as root directly, otherwise through sudo. Minimal Debian has no
# sudo, and a plain user there gets the one line to give root instead of "sudo: command not found".
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo > /dev/null 2>&1; then
    echo "Some packages are missing and only root can install them (this user is not root, and sudo is not installed); as root, run:" >&2
    echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
