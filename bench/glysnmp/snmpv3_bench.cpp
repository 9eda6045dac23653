// A 1000-font table read with SNMPv3 authPriv against the same read in
// v2c, both through one net-snmp snmpd that proxies a virtual printer, so
// that the difference is the user-based security alone: "ratio" (v3 over
// v2c) should stay within 1.5. snmpbulkwalk's v3 walk of the table is the
// peer ("snmpbulkwalk_v3_ms").
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "agent_peers.h"
#include "glysnmp.h"
#include "printer_sim.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kAgent[] = "127.67.3.10";
constexpr char kPrinter[] = "127.67.3.200";

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ReadMs(PrinterRecord& printer, int32_t* count) {
  FontList fonts{};
  auto start = Clock::now();
  int32_t result = SnmpGetFontList(&printer, &fonts);
  double ms = MillisecondsSince(start);
  *count = result == 0 ? fonts.count : -1;
  SnmpFreeFontList(&fonts);
  return ms;
}

void BM_ThousandFontsV3AuthPrivAgainstV2c(benchmark::State& state) {
  printer_sim::Simulator simulator;
  printer_sim::PrinterConfig config;
  config.address = kPrinter;
  config.postScriptFonts = 500;
  config.pclFonts = 500;
  if (!simulator.AddPrinter(config)) return state.SkipWithError("cannot start the virtual printer");
  simulator.Start();
  TempDir folder;
  uint16_t port = FreeUdpPort({kAgent});
  std::string printerPeer = std::string("udp:") + kPrinter + ":" + std::to_string(simulator.SnmpPort(0));
  SnmpdPeer agent(folder.path(), kAgent, port,
                  {"createUser bench SHA-256 \"bench-auth-1\" AES \"bench-priv-1\"", "rouser bench authpriv",
                   "proxy -v 2c -c vorpal " + printerPeer + " .1.3.6.1.4.1.32473"});
  if (!agent.ready()) return state.SkipWithError("snmpd did not start");
  setenv("GLY_SNMP_PORT", std::to_string(port).c_str(), 1);
  setenv("GLY_SNMP_TIMEOUT_MS", "2000", 1);

  PrinterRecord v2c{};
  std::snprintf(v2c.readCommunity, sizeof v2c.readCommunity, "vorpal");
  v2c.address = inet_network(kAgent);
  v2c.snmpLevel = 2;
  // One record for both reads: its address gets the v3 settings before each
  // v3 read and loses them before each v2c read.
  SnmpSecurity v3{};
  v3.version = kSnmpVersion3;
  v3.level = kSnmpAuthPriv;
  v3.authProtocol = kSnmpAuthSha256;
  v3.privProtocol = kSnmpPrivAes128;
  std::snprintf(v3.user, sizeof v3.user, "bench");
  std::snprintf(v3.authPassphrase, sizeof v3.authPassphrase, "bench-auth-1");
  std::snprintf(v3.privPassphrase, sizeof v3.privPassphrase, "bench-priv-1");

  double v2cMs = 0, v3Ms = 0;
  int32_t v2cCount = 0, v3Count = 0;
  for (auto _ : state) {
    SnmpSetPrinterSecurity(v2c.address, nullptr);
    v2cMs += ReadMs(v2c, &v2cCount);
    SnmpSetPrinterSecurity(v2c.address, &v3);
    double ms = ReadMs(v2c, &v3Count);
    v3Ms += ms;
    state.SetIterationTime(ms / 1000);
  }
  SnmpSetPrinterSecurity(v2c.address, nullptr);
  const auto runs = static_cast<double>(state.iterations());
  double peerMs = 0;
  for (int run = 0; run < 5; ++run) {
    auto start = Clock::now();
    std::string walk = "MIBS= snmpbulkwalk -v3 -l authPriv -u bench -a SHA-256 -A bench-auth-1 -x AES -X bench-priv-1 "
                       "-On " + std::string(kAgent) + ":" + std::to_string(port) +
                       " 1.3.6.1.4.1.32473.2.1.2 >/dev/null";
    if (std::system(walk.c_str()) != 0) return state.SkipWithError("snmpbulkwalk failed");
    peerMs += MillisecondsSince(start);
  }
  state.counters["fonts_v2c"] = v2cCount;
  state.counters["fonts_v3"] = v3Count;
  state.counters["v2c_ms"] = v2cMs / runs;
  state.counters["v3_ms"] = v3Ms / runs;
  state.counters["ratio"] = v3Ms / v2cMs;
  state.counters["snmpbulkwalk_v3_ms"] = peerMs / 5;
}

BENCHMARK(BM_ThousandFontsV3AuthPrivAgainstV2c)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
