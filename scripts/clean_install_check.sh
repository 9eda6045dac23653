#!/usr/bin/env bash
# Installs the Debian packages into a freshly made minimal Debian 12 system
# and uses them there: apt must find every dependency from the packages'
# control files alone, and the programs must start with nothing else
# installed. Needs root and the Debian mirror; takes a few minutes, so it
# is not part of the tests.
#   scripts/clean_install_check.sh build/*.deb
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: clean_install_check.sh PACKAGE.deb..." >&2; exit 2; }
packages=()
for package in "$@"; do packages+=("$(realpath "$package")"); done
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

work=$(mktemp -d "${TMPDIR:-/tmp}/gly-clean-XXXXXX")
system=$work/system
trap 'umount "$system/proc" 2>/dev/null || true; rm -rf --one-file-system "$work"' EXIT

debootstrap --variant=minbase bookworm "$system" "$mirror" >"$work/debootstrap.log" ||
  { tail -20 "$work/debootstrap.log"; exit 1; }
# The loader resolves a program's $ORIGIN through /proc, as on any running
# system.
mount -t proc proc "$system/proc"
mkdir "$system/tmp/packages"
cp "${packages[@]}" "$system/tmp/packages/"
inside() { chroot "$system" env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin HOME=/root "$@"; }
inside apt-get update -qq
# The package files are named by the new system's shell, where they lie.
DEBIAN_FRONTEND=noninteractive inside sh -c \
  'apt-get install -y -qq --no-install-recommends /tmp/packages/*.deb'

inside sh -c 'mkdir -m 700 /tmp/runtime && cd /tmp &&
  export XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=offscreen &&
  gly --check-setup &&
  { timeout 4 gly 2>/tmp/start.err; test $? -eq 124 && ! grep "^gly: " /tmp/start.err; } &&
  glyctl --help >/dev/null &&
  tessel-profile set --number UDP MTU 1200 && test "$(tessel-profile get UDP MTU)" = 1200'
echo "clean_install_check: $(cd "$system/tmp/packages" && echo *.deb) install and start on a clean Debian 12"
