#!/usr/bin/env bash
# Checks that the commands README.md and samples/README.md show in their code blocks work from a
# clone as written, once `make test` has built everything. Commands of the programs `make test`
# builds (paths under build/) are run and must end with status 0 and write something; the
# others, which take long or start the window, must name a target of the Makefile or a script
# of the clone. The clone's own programs are never on the PATH of a fresh clone, so a command
# that calls one by its bare name fails the check; other tools of the system are only named.
# Each command runs in a scratch folder whose entries link to the clone's, so relative paths
# read the same files and any file a command writes lands there, and goes with the folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# The commands of fenced (```sh) and indented code blocks, a line ending in "\" joined to the
# next, without a trailing "# comment".
commands() {
  awk '
    /^```/ { if (block) block = fenced = 0; else { block = 1; fenced = /^```(sh|bash)?$/ }; next }
    block && !fenced { next }
    fenced { line = $0 }
    !fenced && /^    / && (blank || pending != "") { line = substr($0, 5) }
    { blank = ($0 == "") || (blank && /^    /) }
    line == "" { next }
    {
      if (pending != "") sub(/^[ \t]+/, "", line)
      pending = pending line; line = ""
      if (pending ~ /\\$/) { sub(/\\$/, " ", pending); next }
      print pending; pending = ""
    }
  ' "$1" | sed -e 's/[[:space:]]\{2,\}#.*$//' -e 's/[[:space:]]*$//' |
    grep -v '^$' || true
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvex-readme.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/run"
for entry in "$root"/* "$root"/.[!.]*; do
  [ -e "$entry" ] && ln -s "$entry" "$scratch/run/$(basename "$entry")"
done

failed=0
checked=0
fail() {
  echo "README example FAILED ($1): $2" >&2
  failed=$((failed + 1))
}
for readme in README.md samples/README.md; do
  while IFS= read -r command; do
    checked=$((checked + 1))
    read -r -a words <<< "$command"
    program=${words[0]}
    case $program in
      korvex | korvex-batch)
        fail "$readme" "$command: a fresh clone has no $program on the PATH; name it by its path under build/release" ;;
      make)
        target=
        for word in "${words[@]:1}"; do
          case $word in -* | *=*) ;; *) target=$word; break ;; esac
        done
        if [ -n "$target" ] && ! grep -q "^$target:" Makefile; then
          fail "$readme" "$command: the Makefile has no target $target"
        fi ;;
      build/*)
        if [ ! -x "$program" ]; then
          fail "$readme" "$command: $program is not built (make test builds it)"
          continue
        fi
        status=0
        (cd "$scratch/run" && bash -c "$command") < /dev/null > "$scratch/out" 2> "$scratch/err" || status=$?
        # What the command wrote: on its standard output or error (libFuzzer's help), or into
        # the files it redirected them to.
        written=$(cat "$scratch/out" "$scratch/err" $(find "$scratch/run" -maxdepth 1 -type f) 2> /dev/null | wc -c)
        find "$scratch/run" -maxdepth 1 -type f -delete
        if [ "$status" -ne 0 ]; then
          fail "$readme" "$command: exit status $status"
          head -n 5 "$scratch/err" >&2
        elif [ "$written" -eq 0 ]; then
          fail "$readme" "$command: wrote nothing"
        fi ;;
      */*)
        [ -x "$program" ] || fail "$readme" "$command: $program is not in the clone" ;;
      *)
        # Tools of the system the text names (ImageMagick for the sample picture, ...).
        command -v "$program" > /dev/null 2>&1 ||
          echo "README example not checked ($readme): $program is not installed" ;;
    esac
  done < <(commands "$readme")
done

if [ "$failed" -ne 0 ]; then
  echo "$failed of $checked README commands do not work as written" >&2
  exit 1
fi
echo "README examples: all $checked commands work as written"
