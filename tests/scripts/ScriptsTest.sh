#!/usr/bin/env bash
# The make targets' helper scripts: the skip reasons `make check` prints beneath ctest's
# summary, read from a ctest log (data/LastTest.log: a pass, a Qt Test skip, a GoogleTest skip
# and a failure whose output holds a skipped row), and what `make install` says of the PATH.
# Usage: ScriptsTest.sh PROJECT_ROOT. Works in a temporary folder it removes.
set -euo pipefail
root=${1:?usage: ScriptsTest.sh PROJECT_ROOT}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-scripts-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
expect() { # NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3" >&2
    failures=$((failures + 1))
  fi
}

# Skip reasons: only the skipped tests, each with its own reason, in the log's order.
mkdir -p "$work/build/Testing/Temporary"
cp "$here/data/LastTest.log" "$work/build/Testing/Temporary/"
expect "skip reasons" "Why tests were skipped:
    test_form1.cameraPhotosOpenUpright: the shared photographs are not present
    test_tor_file.TorFile.ReadsTheNetworkShare: the share is not mounted on this machine" \
  "$("$root/scripts/print-skip-reasons.sh" "$work/build")"
# A run without skips, or a build that never ran ctest, prints nothing.
head -n 21 "$here/data/LastTest.log" > "$work/build/Testing/Temporary/LastTest.log"
expect "no skipped test" "" "$("$root/scripts/print-skip-reasons.sh" "$work/build")"
expect "no log" "" "$("$root/scripts/print-skip-reasons.sh" "$work/none")"

# The PATH after make install: PREFIX/bin as typed (a tilde, a trailing slash) against the PATH.
home=$work/home
mkdir -p "$home/.local/bin" "$home/bin" "$home/elsewhere"
while IFS='|' read -r name path given profile expected; do
  rm -f "$home/.profile"
  [ "$profile" = debian ] && printf 'if [ -d "$HOME/.local/bin" ] ; then\n    PATH="$HOME/.local/bin:$PATH"\nfi\n' > "$home/.profile"
  actual=$(HOME=$home PATH=${path//HOME/$home} "$root/scripts/tell-path.sh" "${given//HOME/$home}" | sed "s|$home|HOME|g" | tr '\n' '/')
  expect "tell-path: $name" "$expected" "$actual"
done <<'TABLE'
on the PATH|/usr/bin:HOME/.local/bin|HOME/.local/bin|none|korvex and korvex-batch are in HOME/.local/bin, which is on the PATH./
trailing slash on the PATH|/usr/bin:HOME/.local/bin/|HOME/.local/bin|none|korvex and korvex-batch are in HOME/.local/bin, which is on the PATH./
trailing slash typed|/usr/bin:HOME/.local/bin|HOME/.local/bin/|none|korvex and korvex-batch are in HOME/.local/bin, which is on the PATH./
unexpanded tilde|/usr/bin:HOME/.local/bin|~/.local/bin|none|korvex and korvex-batch are in HOME/.local/bin, which is on the PATH./
not on the PATH|/usr/bin:/bin|HOME/elsewhere|none|korvex and korvex-batch are in HOME/elsewhere, which is not on the PATH. To add it for this shell, run:/    export PATH="HOME/elsewhere:$PATH"/To keep it for every new shell, add that line to ~/.profile./
Debian's profile adds it|/usr/bin:/bin|~/.local/bin|debian|korvex and korvex-batch are in HOME/.local/bin, which is not on the PATH. To add it for this shell, run:/    export PATH="HOME/.local/bin:$PATH"/Your ~/.profile adds it by itself from your next login on./
that profile adds another folder|/usr/bin:/bin|HOME/bin|debian|korvex and korvex-batch are in HOME/bin, which is not on the PATH. To add it for this shell, run:/    export PATH="HOME/bin:$PATH"/To keep it for every new shell, add that line to ~/.profile./
TABLE

if [ "$failures" -ne 0 ]; then
  echo "$failures script checks failed" >&2
  exit 1
fi
echo "script checks passed"
