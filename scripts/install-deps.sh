#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the program need and the machine lacks.
# Safe to run again: it installs nothing when every package is present.
# clang builds the fuzzers; libclang-rt-dev holds libFuzzer and clang's sanitizer runtimes,
# which clang alone (installed without recommends) lacks.
# Qt Charts' CMake package needs Qt OpenGL's, which Debian ships in libqt6opengl6-dev.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev
  qt6-charts-dev libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsimdjson-dev
  fonts-liberation2
  clang libclang-rt-dev
)
# Without a display the program can still be run under a virtual X server.
if [ "${1:-}" = "--run" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  packages+=(xvfb xauth)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
