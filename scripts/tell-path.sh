#!/usr/bin/env bash
# Says, after `make install`, whether the folder the programs went to is on the PATH, and how to
# put it there when it is not, so that `korvex` and `korvex-batch` can be started by name.
set -euo pipefail
bin=${1:?usage: tell-path.sh PREFIX/bin}
# `make install PREFIX=~/.local` leaves the tilde unexpanded when the shell is not bash.
case $bin in
  "~") bin=$HOME ;;
  "~/"*) bin=$HOME/${bin#"~/"} ;;
esac
bin=$(realpath -m "$bin")

on_path=no
IFS=: read -r -a entries <<< "${PATH:-}"
for entry in "${entries[@]}"; do
  if [ -n "$entry" ] && [ "$(realpath -m "$entry")" = "$bin" ]; then
    on_path=yes
    break
  fi
done

if [ "$on_path" = yes ]; then
  echo "korvex and korvex-batch are in $bin, which is on the PATH."
  exit 0
fi
echo "korvex and korvex-batch are in $bin, which is not on the PATH. To add it for this shell, run:"
echo "    export PATH=\"$bin:\$PATH\""
# Debian's ~/.profile puts ~/.local/bin and ~/bin on the PATH at login once the folder exists.
if [ -f "$HOME/.profile" ] && { { [ "$bin" = "$HOME/.local/bin" ] && grep -q '\$HOME/\.local/bin' "$HOME/.profile"; } ||
     { [ "$bin" = "$HOME/bin" ] && grep -q '\$HOME/bin' "$HOME/.profile"; }; }; then
  echo "Your ~/.profile adds it by itself from your next login on."
else
  echo "To keep it for every new shell, add that line to ~/.profile."
fi
