#!/usr/bin/env bash
# Runs every benchmark program of a build folder (an optimised build gives meaningful figures).
set -euo pipefail
build=${1:-build/release}
export QT_QPA_PLATFORM=offscreen
for program in "$build"/bench/bench_*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program" --benchmark_min_time=0.5
done
