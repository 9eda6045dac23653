#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test through CTest.
#   scripts/test.sh                      normal build in build/
#   GLY_SANITIZE=address scripts/test.sh  ASan+UBSan build in build-address/
#   GLY_SANITIZE=thread scripts/test.sh   TSan build of the threaded code in build-thread/
# Extra arguments go to ctest (for example -L platform or -R Lpr).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

# Clones in other folders share the compiler cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true

sanitize=${GLY_SANITIZE:-}
build="$root/build${sanitize:+-$sanitize}"
cmake -S "$root" -B "$build" -G Ninja -DGLY_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
