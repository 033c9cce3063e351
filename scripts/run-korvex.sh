#!/usr/bin/env bash
# Starts the program; without a display it explains how to run it instead of failing obscurely.
# Nothing started then, so it ends with status 1: a script running `make run` can tell.
set -euo pipefail
program=${1:?usage: run-korvex.sh PATH-TO-korvex}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display was found (DISPLAY is not set), so the window cannot be shown.
Run the program on a desktop session, or under a virtual X server:
    xvfb-run -a -s "-screen 0 1280x1024x24" make run
MSG
  exit 1
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
