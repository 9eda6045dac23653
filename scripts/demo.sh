#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)"
exec "$root/build/bin/gly" "$@"
