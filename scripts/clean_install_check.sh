#!/usr/bin/env bash
# Installs the Debian package into a freshly made minimal Debian 12 system
# and uses it there: apt must find every dependency from the package's
# control file alone, and the program must start with nothing else
# installed. Needs root and the Debian mirror; takes a few minutes, so it
# is not part of the tests.
#   scripts/clean_install_check.sh build/gly_0.1.0_amd64.deb
set -euo pipefail
package=$(realpath "${1:?usage: clean_install_check.sh PACKAGE.deb}")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

work=$(mktemp -d "${TMPDIR:-/tmp}/gly-clean-XXXXXX")
system=$work/system
trap 'umount "$system/proc" 2>/dev/null || true; rm -rf --one-file-system "$work"' EXIT

debootstrap --variant=minbase bookworm "$system" "$mirror" >"$work/debootstrap.log" ||
  { tail -20 "$work/debootstrap.log"; exit 1; }
# The loader resolves a program's $ORIGIN through /proc, as on any running
# system.
mount -t proc proc "$system/proc"
cp "$package" "$system/tmp/"
inside() { chroot "$system" env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin HOME=/root "$@"; }
inside apt-get update -qq
DEBIAN_FRONTEND=noninteractive inside apt-get install -y -qq --no-install-recommends \
  "/tmp/$(basename "$package")"

inside sh -c 'mkdir -m 700 /tmp/runtime && cd /tmp &&
  export XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=offscreen &&
  gly --check-setup &&
  { timeout 4 gly 2>/tmp/start.err; test $? -eq 124 && ! grep "^gly: " /tmp/start.err; } &&
  if command -v glyctl >/dev/null; then glyctl --help >/dev/null; else echo "no glyctl in the package"; fi'
echo "clean_install_check: $(basename "$package") installs and starts on a clean Debian 12"
