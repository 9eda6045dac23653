#!/usr/bin/env bash
# glyctl discover --dns-sd against a real Avahi daemon: in a network and
# mount namespace of the test's own, with a private system bus, the daemon
# on the loopback interface, printers announced with avahi-publish and
# virtual printers answering SNMP behind three of them.
#   announced_printers_test.sh GLYCTL PRINTER_SIM
# A namespace that cannot be made is a failure, never a pass.
set -euo pipefail
glyctl=$1
sim=$2

if [ "${GLY_DNSSD_NAMESPACE:-}" != 1 ]; then
  for tool in unshare ip dbus-daemon avahi-daemon avahi-publish; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
  done
  if ! unshare -n -m --propagation private true 2>/dev/null; then
    echo "FAIL: cannot make a network namespace (unshare -n -m needs root or user namespaces)"
    exit 1
  fi
  GLY_DNSSD_NAMESPACE=1 exec unshare -n -m --propagation private bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
wait_for() {  # PATH: up to 10 s
  for _ in $(seq 100); do [ -e "$1" ] && return 0; sleep 0.1; done
  fail "$1 did not appear"
}

ip link set lo up
ip link set lo multicast on
ip route add 224.0.0.0/4 dev lo
mount -t tmpfs tmpfs /run
mkdir -p /run/dbus /run/avahi-daemon

# Without a daemon: told at once.
start=$(date +%s)
if "$glyctl" discover --dns-sd >"$work/out" 2>"$work/err"; then fail "discover --dns-sd passed without a daemon"; fi
grep -q "announced printers cannot be looked for" "$work/err" || fail "no reason without a daemon: $(cat "$work/err")"
[ $(( $(date +%s) - start )) -le 2 ] || fail "discover --dns-sd waited without a daemon"

dbus-daemon --system --nofork --nopidfile & pids+=($!)
wait_for /run/dbus/system_bus_socket
cat >"$work/avahi.conf" <<'CONF'
[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=lo
[publish]
publish-hinfo=no
publish-workstation=no
CONF
avahi-daemon -f "$work/avahi.conf" --no-drop-root --no-chroot --no-rlimits 2>"$work/avahi.log" & pids+=($!)
wait_for /run/avahi-daemon/socket

cat >"$work/printers.conf" <<'CONF'
[printer]
address = 127.0.1.10
name = RAWONLY
real = yes
languages = pjl,pcl
channels = lpd:off,raw
[printer]
address = 127.0.2.10
name = IPPONLY
[printer]
address = 127.0.3.10
name = BOTH
CONF
"$sim" --config "$work/printers.conf" >"$work/sim.out" 2>"$work/sim.log" & pids+=($!)

publish() { avahi-publish "$@" >/dev/null 2>&1 & pids+=($!); }
publish -a -R rawonly.local 127.0.1.10
publish -a -R ipponly.local 127.0.2.10
publish -a -R both.local 127.0.3.10
publish -a -R silent.local 127.0.4.10
publish -s -H rawonly.local "Raw Only" _pdl-datastream._tcp 9100 "ty=Ostrel Raw 10" "usb_CMD=PJL,PCL"
publish -s -H ipponly.local "IPP Only" _ipp._tcp 631 "ty=Ostrel Ipp 20" "pdl=application/postscript,image/urf"
publish -s -H both.local "Both" _pdl-datastream._tcp 9100 "product=(Ostrel Both 30)"
publish -s -H both.local "Both" _ipp._tcp 631 "product=(Ostrel Both 30)"
publish -s -H silent.local "Silent" _printer._tcp 515 "ty=Ostrel Silent 40" "usb_CMD=POSTSCRIPT"
sleep 2

GLY_DNSSD_SECONDS=3 "$glyctl" discover 127.0.3.0/24 --dns-sd --format csv >"$work/out" 2>"$work/err" ||
  fail "discover --dns-sd failed: $(cat "$work/err")"
out=$(cat "$work/out")
line() {  # ADDRESS: its one line
  local count
  count=$(grep -c "^$1," "$work/out" || true)
  [ "$count" = 1 ] || fail "$1 listed $count times:
$out"
  grep "^$1," "$work/out"
}
expect() {  # ADDRESS TEXT
  line "$1" | grep -qF -- "$2" || fail "$1 lacks \"$2\":
$out"
}
expect 127.0.1.10 "RAWONLY"
expect 127.0.1.10 '"PJL, PCL","LPD (off), raw"'
expect 127.0.2.10 "IPPONLY"
expect 127.0.2.10 "PostScript,IPP"
expect 127.0.3.10 "BOTH"
expect 127.0.3.10 '"raw, IPP"'
expect 127.0.4.10 "Ostrel Silent 40 (announced; SNMP did not answer)"
expect 127.0.4.10 "PostScript,LPD"
[ "$(grep -c '^127\.' "$work/out")" = 4 ] || fail "not four printers:
$out"
echo "PASS"
