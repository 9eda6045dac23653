#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ ccache pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  qt6-base-dev libfreetype-dev libsqlite3-dev libsnmp-dev libcups2-dev
  clang libclang-rt-14-dev
  # independent peers used by tests and benchmarks
  ghostscript t1utils fontforge-nox python3-fonttools
  fonts-urw-base35 fonts-dejavu-core fonts-liberation2 fonts-noto-core
  snmp snmpd snmpsim libspdlog-dev rlpr smitools
  cups-ipp-utils
  xvfb xauth poppler-utils
  # asking a virtual printer's AppSocket port by hand (the README)
  netcat-openbsd
  # DNS-SD discovery: the client library, and the daemon, publisher and
  # private system bus its tests run in their own network namespace
  libavahi-client-dev avahi-daemon avahi-utils dbus
  # the package checks: the desktop entry's validator, lintian, and a clean
  # Debian system to install the package into (scripts/clean_install_check.sh)
  desktop-file-utils debootstrap lintian appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
