#!/usr/bin/env bash
# Starts the program; without a display it explains how to run it instead of failing obscurely.
# That advice is the answer `make run` owes there, not a failure, so it ends with status 0 and
# make adds no error line of its own beneath it.
set -euo pipefail
program=${1:?usage: run-korvex.sh PATH-TO-korvex}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display was found (DISPLAY is not set), so the window cannot be shown.
Run the program on a desktop session, or under a virtual X server:
    xvfb-run -a -s "-screen 0 1280x1024x24" make run
MSG
  exit 0
fi
# Without a session's XDG_RUNTIME_DIR (a console, ssh, su) Qt makes /tmp/runtime-USER and leaves
# it there; the program gets a runtime folder for this run instead, removed when it ends.
if [ -n "${XDG_RUNTIME_DIR:-}" ]; then
  exec "$program"
fi
XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/korvex-runtime.XXXXXX")
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
"$program"
