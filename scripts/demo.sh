#!/usr/bin/env bash
# Sets up the machine, builds the program, starts three virtual printers on
# loopback (scripts/demo_printers.conf) and the program pointed at them; the
# printers stop when the program ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)"
# Ports above 1024, so nothing needs root; the program reads the same ones.
export GLY_SNMP_PORT=${GLY_SNMP_PORT:-16161} GLY_LPR_PORT=${GLY_LPR_PORT:-5515}
"$root/build/bin/printer-sim" --config "$root/scripts/demo_printers.conf" \
  --snmp-port "$GLY_SNMP_PORT" --lpd-port "$GLY_LPR_PORT" &
printers=$!
trap 'kill "$printers" 2>/dev/null; wait "$printers" 2>/dev/null || true' EXIT
"$root/build/bin/gly" "$@"
