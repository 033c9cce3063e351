#!/usr/bin/env bash
# Prints why each test of the last ctest run in BUILD_DIR was skipped: ctest's summary names a
# skipped test, but its reason (the QSKIP or GTEST_SKIP message) only reaches the log,
# Testing/Temporary/LastTest.log. Prints nothing when no test was skipped. It only reads the
# log, so a skip stays a skip: the outcome and ctest's status are not touched.
set -euo pipefail
log=${1:?usage: print-skip-reasons.sh BUILD_DIR}/Testing/Temporary/LastTest.log
[ -f "$log" ] || exit 0
awk '
  /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); n = 0; next }
  /^Output:$/ { output = 1; gtest = 0; next }
  /^<end of output>$/ { output = 0; next }
  # Qt Test: "SKIP   : Class::function(tag) reason", then a "Loc:" line.
  output && /^SKIP +: / { line = $0; sub(/^SKIP +: [^(]*\([^)]*\) ?/, "", line); reason[++n] = line; next }
  # GoogleTest: "file:line: Skipped", the message lines, then "[  SKIPPED ] Suite.Name".
  output && /: Skipped$/ { gtest = 1; text = ""; next }
  output && gtest && /^\[  SKIPPED \]/ { reason[++n] = text; gtest = 0; next }
  output && gtest && $0 != "" { text = text (text == "" ? "" : " ") $0; next }
  /^Skip regular expression found in output/ {
    if (!shown++) print "Why tests were skipped:"
    if (n == 0) reason[++n] = "(no reason given)"
    for (i = 1; i <= n; i++) print "    " name ": " (reason[i] == "" ? "(no reason given)" : reason[i])
  }
' "$log"
