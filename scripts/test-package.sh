#!/usr/bin/env bash
# Tries the Debian package as a new user's machine would take it: installs it with apt into a
# fresh, minimal Debian 12 (bookworm) root, so that apt brings in its dependencies, then runs
# `korvex-batch --version`, reads the manual page, starts the window from the desktop entry
# under a virtual X server, opens the guide with F1, and removes the package again.
#
#   scripts/test-package.sh [PACKAGE.deb]     (as root; default: `make package`'s package)
#
# The minimal root is made once with debootstrap and kept in $KORVEX_BOOKWORM_ROOT (default
# /var/tmp/korvex-bookworm); an existing minimal bookworm root there is used as it is. Each
# run works on a copy of it, so every run starts fresh. The first run downloads about 50 MB
# and takes a few minutes; later runs take one or two. Not part of `make test`.
# Pictures of the started window and its guide are left in build/package-test/.
set -euo pipefail

root_dir=$(cd "$(dirname "$0")/.." && pwd)
pristine=${KORVEX_BOOKWORM_ROOT:-/var/tmp/korvex-bookworm}
shots="$root_dir/build/package-test"

if [ "$(id -u)" -ne 0 ]; then
  echo "test-package.sh needs root (it uses chroot and mount): run it with sudo" >&2
  exit 2
fi

package=${1:-}
if [ -z "$package" ]; then
  make -C "$root_dir" package
  for made in "$root_dir"/build/release/korvex_*.deb; do
    if [ -z "$package" ] || [ "$made" -nt "$package" ]; then package=$made; fi
  done
fi
[ -f "$package" ] || { echo "no package at $package" >&2; exit 2; }
version=$(dpkg-deb -f "$package" Version)

# The Debian mirror this machine's apt already uses, for debootstrap.
mirror() {
  local uri
  uri=$(grep -rhoE '(URIs:|deb) +https?://[^ ]+/debian/?( |$)' /etc/apt/sources.list \
          /etc/apt/sources.list.d 2>/dev/null | awk '{print $2}' | head -n 1 || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

if [ ! -f "$pristine/etc/debian_version" ]; then
  command -v debootstrap > /dev/null || apt-get install -y -q --no-install-recommends debootstrap
  echo "Making a minimal bookworm root in $pristine (once)"
  rm -rf "$pristine.partial"
  debootstrap --variant=minbase bookworm "$pristine.partial" "$(mirror)"
  mv "$pristine.partial" "$pristine"
fi

work=$(mktemp -d /var/tmp/korvex-package-test.XXXXXX)
target="$work/root"
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[$i]}" 2> /dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

echo "Copying the fresh root"
cp -a "$pristine" "$target"
for fs in proc sys dev dev/pts; do
  case $fs in
    proc) mount -t proc proc "$target/proc" ;;
    sys) mount -t sysfs sys "$target/sys" ;;
    *) mount --bind "/$fs" "$target/$fs" ;;
  esac
  mounted+=("$target/$fs")
done
cp /etc/resolv.conf "$target/etc/resolv.conf"
cp "$package" "$target/tmp/korvex.deb"

in_root() {
  chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"
}
step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

step "apt installs the package and what it depends on"
in_root apt-get update -q
in_root apt-get install -y -q /tmp/korvex.deb
in_root dpkg -s korvex | grep -E '^(Status|Version|Depends):'

step "both programs find every library"
for program in korvex korvex-batch; do
  if in_root ldd "/usr/bin/$program" | grep 'not found'; then
    fail "$program lacks a library"
  fi
done

step "korvex-batch --version"
printed=$(in_root korvex-batch --version)
echo "$printed"
[ "$printed" = "korvex-batch $version" ] || fail "expected 'korvex-batch $version'"

step "the manual page"
in_root sh -c 'zcat /usr/share/man/man1/korvex-batch.1.gz' | grep -q -- '^korvex\\-batch \\-' ||
  fail "no manual page of korvex-batch"
in_root sh -c 'zcat /usr/share/man/man1/korvex-batch.1.gz' | grep -q -- '\\-\\-version' ||
  fail "the manual page does not list --version"
echo "found, with its options"

step "the desktop entry starts the window"
# Tools of the test only, installed after the package so they cannot hide a missing dependency.
in_root apt-get install -y -q --no-install-recommends xvfb xauth xdotool x11-apps \
  desktop-file-utils
in_root desktop-file-validate /usr/share/applications/korvex.desktop
command=$(in_root sed -n 's/^Exec=//p' /usr/share/applications/korvex.desktop)
echo "Exec=$command"
cat > "$target/tmp/start.sh" << EOF
#!/bin/sh
# Started as a desktop would: the entry's command, on the PATH.
export KORVEX_RECOVERY_DIR=/tmp/recovery
$command > /tmp/korvex.log 2>&1 &
pid=\$!
timeout 30 xdotool search --sync --name '^KORVEX ' > /tmp/window || exit 10
sleep 2
kill -0 \$pid || exit 11
# Each window by itself: a picture of the whole screen shows the later windows black.
xwd -id "\$(head -n 1 /tmp/window)" -silent > /tmp/window.xwd
xdotool windowfocus --sync "\$(head -n 1 /tmp/window)"
xdotool key F1
timeout 15 xdotool search --sync --name '^KORVEX Guide\$' > /tmp/guide || exit 12
sleep 3
xwd -id "\$(head -n 1 /tmp/guide)" -silent > /tmp/guide.xwd
kill \$pid
EOF
chmod +x "$target/tmp/start.sh"
status=0
in_root xvfb-run -a -s "-screen 0 1366x768x24" /tmp/start.sh || status=$?
cat "$target/tmp/korvex.log"
case $status in
  0) echo "the window opened from the desktop entry, and F1 opened the guide" ;;
  10) fail "no KORVEX window appeared" ;;
  11) fail "korvex ended by itself" ;;
  12) fail "F1 opened no guide" ;;
  *) fail "the start ended with status $status" ;;
esac
mkdir -p "$shots"
for picture in window guide; do
  cp "$target/tmp/$picture.xwd" "$shots/installed-$picture.xwd"
  if command -v convert > /dev/null; then
    convert "xwd:$shots/installed-$picture.xwd" "$shots/installed-$picture.png" &&
      rm "$shots/installed-$picture.xwd"
  fi
done

step "apt removes the package"
in_root apt-get purge -y -q korvex
for file in /usr/bin/korvex /usr/bin/korvex-batch /usr/share/applications/korvex.desktop \
  /usr/share/man/man1/korvex-batch.1.gz /usr/share/icons/hicolor/scalable/apps/korvex.svg; do
  [ ! -e "$target$file" ] || fail "$file is still there"
done
if in_root dpkg -s korvex > /dev/null 2>&1; then
  fail "dpkg still knows korvex"
fi
echo "gone"

printf '\nThe package korvex %s installs, starts and goes again on a fresh Debian 12.\n' "$version"
