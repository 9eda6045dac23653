#!/usr/bin/env bash
# Retakes the screenshots in docs/ (the README's and the AppStream
# metainfo's): starts the demo's three virtual printers
# (scripts/demo_printers.conf) and runs gly-screenshots against them under
# Xvfb at scale 1. The printers stop when it ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLY_BUILD_DIR:-$root/build}
out=${1:-$root/docs}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target gly-screenshots printer-sim
# Ports above 1024, so nothing needs root; the program reads the same ones.
export GLY_SNMP_PORT=${GLY_SNMP_PORT:-16161} GLY_LPR_PORT=${GLY_LPR_PORT:-5515} GLY_RAW_PORT=${GLY_RAW_PORT:-19100}
fonts=$(mktemp -d)
"$build/bin/printer-sim" --config "$root/scripts/demo_printers.conf" \
  --snmp-port "$GLY_SNMP_PORT" --lpd-port "$GLY_LPR_PORT" --raw-port "$GLY_RAW_PORT" &
printers=$!
trap 'kill "$printers" 2>/dev/null; wait "$printers" 2>/dev/null || true; rm -rf "$fonts"' EXIT
# A PostScript Type 1 font and two TrueType fonts of the Debian packages
# scripts/setup.sh installs.
cp /usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1 "$fonts/NimbusSans-Regular.pfb"
cp /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$fonts/"
sleep 1  # the printers open their ports
mkdir -p "$out" "$build/runtime"
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_ENABLE_HIGHDPI_SCALING=0 \
  XDG_RUNTIME_DIR="$build/runtime" "$build/bin/gly-screenshots" "$out" \
  "$fonts/NimbusSans-Regular.pfb" "$fonts/LiberationSans-Regular.ttf" "$fonts/DejaVuSans.ttf"
