#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/, with clang, ASan+UBSan) in
# build-fuzz/ and runs each on its seed corpus for a bounded time.
#   scripts/fuzz.sh                   60 seconds per target
#   FUZZ_SECONDS=10 scripts/fuzz.sh   shorter runs
# The committed seeds in fuzz/seeds/ are joined by small fonts made here from
# the Debian fonts (subsets, so that each run of a target is quick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-60}
# Clones in other folders share the compiler cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true

CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
# Every fuzz_* program the build made is a target.
targets=()
for program in "$build"/fuzz_*; do
  if [ -x "$program" ]; then targets+=("${program##*/fuzz_}"); fi
done

made="$build/seeds"
mkdir -p "${targets[@]/#/$made/}"
if [ ! -e "$made/pfb_to_pfa/liberation.pfb" ]; then
  /usr/bin/python3 -m fontTools.subset /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf \
    --text='Ae%fi' --no-hinting --output-file="$made/truetype_to_type1/liberation.ttf"
  /usr/bin/python3 -m fontTools.subset /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    --text='Q&' --output-file="$made/truetype_to_type1/dejavu.ttf"
  fontforge -lang=ff -c 'Open($1); Generate($2)' "$made/truetype_to_type1/liberation.ttf" \
    "$made/pfb_to_pfa/liberation.pfb" >/dev/null 2>&1
  t1disasm "$made/pfb_to_pfa/liberation.pfb" > "$made/finish_type1/liberation.txt"
  rm -f "$made"/pfb_to_pfa/*.afm
  cp "$made"/truetype_to_type1/* "$made"/pfb_to_pfa/* "$made/classify/"
fi
if [ ! -e "$made/truetype_to_pcl/composites.ttf" ]; then
  # Accented letters built from other glyphs, one of them two levels deep.
  /usr/bin/python3 -m fontTools.subset /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf \
    --text='Åéó' --output-file="$made/truetype_to_pcl/composites.ttf"
  cp -n "$made"/truetype_to_type1/* "$made/truetype_to_pcl/"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target/"
  mkdir -p "$corpus" "$artifacts"
  echo "fuzz: $target for ${seconds}s"
  "$build/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus" "$made/$target" \
    $( [ -d "$root/fuzz/seeds/$target" ] && echo "$root/fuzz/seeds/$target" )
done
