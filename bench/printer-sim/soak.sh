#!/usr/bin/env bash
# Soak of the virtual printer: 50 printers take LPR jobs from rlpr in a loop
# for a given time while the program's resident memory is sampled; the
# growth after warm-up is reported (it should stay within 10%). Not a test:
# run it by hand after a build.
#
#   bench/printer-sim/soak.sh SECONDS [WARM_UP_SECONDS]   (warm-up: a sixth)
#
# Warm-up must last until every printer holds its last jobsKept jobs (16
# each, 800 in all: about 20 s at the 40 jobs a second of two cores).
#
# The jobs are what a font manager sends: PCL soft font downloads to flash
# (each printer's one file replaced over and over), documents, and now and
# then a job larger than the bytes a printer keeps of it.
set -euo pipefail

duration=${1:?usage: soak.sh SECONDS [WARM_UP_SECONDS]}
warm_up=${2:-$((duration / 6))}
printers=50
senders=4
interval=5
first=127.0.99.1
build=${GLY_BUILD_DIR:-$(cd "$(dirname "$0")/../.." && pwd)/build}

scratch=$(mktemp -d)
sim_pid=
cleanup() {
  # Only what this script started: the senders, then the printers.
  for pid in $(jobs -p); do kill "$pid" 2>/dev/null || true; done
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A PJL download of SIZE bytes to flash as pcl\fonts\NAME.
pjl_download() {
  local name=$1 size=$2
  printf '\033%%-12345X@PJL\r\n@PJL FSDOWNLOAD FORMAT:BINARY NAME="1:\\pcl\\fonts\\%s" SIZE=%d\r\n' "$name" "$size"
  head -c "$size" /dev/urandom
  printf '\033%%-12345X'
}
pjl_download Soak 65536 >"$scratch/font.prn"
head -c 300000 /dev/urandom | base64 >"$scratch/document.txt"
head -c 3000000 /dev/urandom | base64 >"$scratch/large.txt"

"$build/bin/printer-sim" --count "$printers" --first "$first" --snmp-port 0 --lpd-port 0 \
  >"$scratch/printers" 2>/dev/null &
sim_pid=$!
for _ in $(seq 50); do
  [ "$(wc -l <"$scratch/printers")" -ge "$printers" ] && break
  sleep 0.1
done
awk '{print $1, $5}' "$scratch/printers" >"$scratch/targets"  # address, LPD port
[ "$(wc -l <"$scratch/targets")" -eq "$printers" ] || { echo "soak: printers did not start" >&2; exit 1; }

# Each sender walks the printers from its own offset, cycling the jobs.
send_loop() {
  local offset=$1 count=0 address port file
  local split=$((offset * printers / senders))
  local files=("$scratch/font.prn" "$scratch/document.txt" "$scratch/font.prn" "$scratch/font.prn")
  while :; do
    while read -r address port; do
      count=$((count + 1))
      file=${files[count % 4]}
      [ $((count % 25)) -eq 0 ] && file=$scratch/large.txt
      rlpr --no-bind --timeout=10 -H "$address" --port="$port" -P lp "$file" >/dev/null 2>&1 || true
      echo x >>"$scratch/sent.$offset"
    done < <(tail -n +"$((split + 1))" "$scratch/targets"; head -n "$split" "$scratch/targets")
  done
}
for s in $(seq 0 $((senders - 1))); do send_loop "$s" & done

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$sim_pid/status"; }
start=$(date +%s)
baseline=
peak=0
echo "seconds rss_kib jobs_sent"
while :; do
  sleep "$interval"
  elapsed=$(($(date +%s) - start))
  rss=$(rss_kib)
  sent=$(cat "$scratch"/sent.* 2>/dev/null | wc -l)
  echo "$elapsed $rss $sent"
  if [ "$elapsed" -ge "$warm_up" ]; then
    [ -z "$baseline" ] && baseline=$rss
    [ "$rss" -gt "$peak" ] && peak=$rss
  fi
  [ "$elapsed" -ge "$duration" ] && break
done

awk -v base="$baseline" -v last="$rss" -v peak="$peak" -v sent="$sent" -v secs="$elapsed" 'BEGIN {
  printf "after warm-up: %.1f MiB; at the end: %.1f MiB (%+.1f%%); peak %.1f MiB (%+.1f%%); %d jobs in %d s\n",
         base / 1024, last / 1024, (last - base) * 100 / base, peak / 1024, (peak - base) * 100 / base, sent, secs
}'
