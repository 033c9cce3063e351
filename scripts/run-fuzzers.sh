#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/fuzz, or $KORVEX_FUZZ_BUILD) and runs
# each for FUZZ_SECONDS seconds (default 5) on a copy of its seed corpus in a
# temporary folder: the repository is never written to. Exits non-zero when a
# target finds a crash, hang, leak or sanitizer report; its input is kept and
# its path printed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${FUZZ_SECONDS:-5}
build=${KORVEX_FUZZ_BUILD:-$root/build/fuzz}

if ! command -v clang++ > /dev/null 2>&1 || ! command -v clang > /dev/null 2>&1; then
  echo "clang not found, fuzzing skipped"
  exit 0
fi

generator=()
if command -v ninja > /dev/null 2>&1; then
  generator=(-G Ninja)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" \
    -DKORVEX_BUILD_UI=OFF -DKORVEX_BUILD_TESTS=OFF -DKORVEX_BUILD_BENCH=OFF \
    -DKORVEX_BUILD_FUZZERS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Only the fuzzers (one a corpus folder) and what they link: the batch tool
# is no fuzzer's.
targets=()
for corpus in "$root"/fuzz/corpus/*/; do
  targets+=("$(basename "$corpus")")
done
cmake --build "$build" --target "${targets[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-fuzz.XXXXXX")
failed=()
summary=()
for corpus in "$root"/fuzz/corpus/*/; do
  target=$(basename "$corpus")
  program="$build/fuzz/$target"
  if [ ! -x "$program" ]; then
    echo "$target: not built" >&2
    failed+=("$target")
    continue
  fi
  mkdir -p "$work/$target/corpus" "$work/$target/findings"
  cp -R "$corpus". "$work/$target/corpus/"
  echo "== $target (${seconds}s)"
  status=0
  "$program" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$work/$target/findings/" "$work/$target/corpus" \
    > "$work/$target/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target/log" | tail -n 1)
  files=$(find "$work/$target/corpus" -type f | wc -l)
  bytes=$(find "$work/$target/corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
  line="$target: ${runs:-?} executions, corpus $files files, $bytes bytes"
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/$target/findings")" ]; then
    line="$line, FAILED (exit $status)"
    failed+=("$target")
    grep -E "property failed|ERROR:|runtime error|SUMMARY" "$work/$target/log" | head -n 5 >&2 || true
    echo "   log: $work/$target/log" >&2
    for finding in "$work/$target/findings"/*; do
      [ -e "$finding" ] && echo "   input: $finding" >&2
    done
  fi
  summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs kept in $work)" >&2
  exit 1
fi
rm -rf "$work"
