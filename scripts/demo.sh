#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)"
# The model profiles lie beside the program in the build tree.
export PLATFORM_WINDOWS_DIR=${PLATFORM_WINDOWS_DIR:-$root/build/bin}
exec "$root/build/bin/gly" "$@"
