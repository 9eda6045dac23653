// The SNMP library against net-snmp's own tools on virtual printers:
// - discovery of a loopback /24 holding three printers against a loop of
//   snmpget over the same addresses, with the same time-out and no
//   retries; "timeouts" (our time over one time-out) should stay within
//   1.2, "peer_ratio" tells how much faster asking at once is;
// - discovery of a loopback /16 (65534 addresses) holding 20 printers
//   spread across it; "over_timeout_ms" (our time less one time-out) should
//   stay within 5000, and every printer must be found once. The peer is a
//   loop of snmpget over the 20 printers alone: "addresses_per_printer_get"
//   tells how many addresses we ask in the time the tool asks one printer;
// - `glyctl fonts` of a 1000, 5000 and 20000-font table against
//   snmpbulkwalk of that table, both as whole processes taking turns,
//   started without a shell;
//   "ratio_*" (glyctl's time over the tool's, per turn) should stay within
//   0.5, and "fonts_listed" must be the table's size.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "printer_sim.h"
#include "quiet_process.h"
#include "glysnmp.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 250;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

uint32_t AddressOf(const std::string& dotted) {
  in_addr address{};
  inet_pton(AF_INET, dotted.c_str(), &address);
  return ntohl(address.s_addr);
}

// Runs `command` through the shell and gives its wall time.
double TimeCommand(const std::string& command) {
  auto start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return MillisecondsSince(start);
}

void PointLibraryAt(uint16_t port) {
  setenv("GLY_SNMP_PORT", std::to_string(port).c_str(), 1);
  setenv("GLY_SNMP_TIMEOUT_MS", std::to_string(kTimeoutMs).c_str(), 1);
  setenv("GLY_SNMP_RETRIES", "0", 1);
}

void Found(const DeviceInfo*, void* count) { ++*static_cast<int*>(count); }

void BM_DiscoverSubnetAgainstSnmpgetLoop(benchmark::State& state) {
  printer_sim::Simulator simulator;
  uint16_t port = 0;
  for (const char* address : {"127.67.1.10", "127.67.1.11", "127.67.1.12"}) {
    printer_sim::PrinterConfig config;
    config.address = address;
    config.snmpPort = port;
    auto added = simulator.AddPrinter(config);
    if (!added) return state.SkipWithError("cannot start the virtual printers");
    port = simulator.SnmpPort(*added);
  }
  simulator.Start();
  PointLibraryAt(port);

  double oursMs = 0;
  int found = 0;
  for (auto _ : state) {
    SnmpContext context{};
    found = 0;
    SnmpInitContext(&context, Found, &found, 0);
    auto start = Clock::now();
    SnmpDiscoverPrinters(&context, SnmpSubnetTarget(AddressOf("127.67.1.0"), 0xffffff00), 0, 0);
    oursMs = MillisecondsSince(start);
    state.SetIterationTime(oursMs / 1000);
  }
  std::string loop = "for i in $(seq 1 254); do snmpget -v2c -c vorpal -t " + std::to_string(kTimeoutMs / 1000.0) +
                     " -r 0 -On 127.67.1.$i:" + std::to_string(port) +
                     " 1.3.6.1.2.1.1.1.0 1.3.6.1.2.1.1.2.0 1.3.6.1.2.1.1.5.0 >/dev/null 2>&1; done; true";
  double peerMs = TimeCommand("MIBS= bash -c '" + loop + "'");
  state.counters["printers_found"] = found;
  state.counters["ours_ms"] = oursMs;
  state.counters["timeouts"] = oursMs / kTimeoutMs;
  state.counters["snmpget_loop_ms"] = peerMs;
  state.counters["peer_ratio"] = peerMs / oursMs;
}

void BM_DiscoverSiteAgainstSnmpgetOfItsPrinters(benchmark::State& state) {
  printer_sim::Simulator simulator;
  uint16_t port = 0;
  std::vector<std::string> printers;
  for (int i = 0; i < 20; ++i) {
    // Spread over the whole /16: 127.68.0.x up to 127.68.253.x.
    printers.push_back("127.68." + std::to_string(i * 13 + 6) + "." + std::to_string(i * 12 + 3));
    printer_sim::PrinterConfig config;
    config.address = printers.back();
    config.snmpPort = port;
    auto added = simulator.AddPrinter(config);
    if (!added) return state.SkipWithError("cannot start the virtual printers");
    port = simulator.SnmpPort(*added);
  }
  simulator.Start();
  PointLibraryAt(port);

  double oursMs = 0;
  std::vector<uint32_t> found;
  for (auto _ : state) {
    SnmpContext context{};
    found.clear();
    SnmpInitContext(&context, [](const DeviceInfo* device, void* into) {
      static_cast<std::vector<uint32_t>*>(into)->push_back(device->address);
    }, &found, 0);
    auto start = Clock::now();
    SnmpDiscoverPrinters(&context, SnmpSubnetTarget(AddressOf("127.68.0.0"), 0xffff0000), 0, 0);
    oursMs = MillisecondsSince(start);
    state.SetIterationTime(oursMs / 1000);
  }
  std::sort(found.begin(), found.end());
  bool allOnce = found.size() == printers.size() && std::adjacent_find(found.begin(), found.end()) == found.end();
  for (const std::string& printer : printers) {
    allOnce = allOnce && std::binary_search(found.begin(), found.end(), AddressOf(printer));
  }
  std::string loop;
  for (const std::string& printer : printers) {
    loop += "snmpget -v2c -c vorpal -r 0 -On " + printer + ":" + std::to_string(port) +
            " 1.3.6.1.2.1.1.1.0 1.3.6.1.2.1.1.2.0 1.3.6.1.2.1.1.5.0 >/dev/null 2>&1; ";
  }
  double peerMs = TimeCommand("MIBS= bash -c '" + loop + "true'");
  state.counters["printers_found"] = static_cast<double>(found.size());
  state.counters["each_found_once"] = allOnce ? 1 : 0;
  state.counters["ours_ms"] = oursMs;
  state.counters["over_timeout_ms"] = oursMs - kTimeoutMs;
  state.counters["snmpget_printers_ms"] = peerMs;
  state.counters["addresses_per_printer_get"] = 65534 / (oursMs / (peerMs / 20));
}

// The program beside this benchmark, build/bin/glyctl.
std::string GlyctlPath() {
  char self[4096];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "glyctl";
  std::string path(self, static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + "glyctl";
}

// Runs `command` through the shell and counts the lines it writes.
int LinesOf(const std::string& command) {
  std::FILE* output = popen(command.c_str(), "r");
  if (output == nullptr) return -1;
  int lines = 0;
  for (int c; (c = std::fgetc(output)) != EOF;) lines += c == '\n';
  return pclose(output) == 0 ? lines : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Whole processes, glyctl and the tool taking turns so that both see the
// same load; the ratios are of each turn's pair.
void BM_FontTableAgainstSnmpbulkwalk(benchmark::State& state) {
  const int fonts = static_cast<int>(state.range(0));
  printer_sim::Simulator simulator;
  printer_sim::PrinterConfig config;
  config.address = "127.67.2.10";
  config.postScriptFonts = fonts / 2;
  config.pclFonts = fonts - fonts / 2;
  auto added = simulator.AddPrinter(config);
  if (!added) return state.SkipWithError("cannot start the virtual printer");
  simulator.Start();
  uint16_t port = simulator.SnmpPort(*added);
  PointLibraryAt(port);
  // glyctl's own time-out and retries, as the tool keeps its own: a loaded
  // machine may miss the benchmark's short one.
  unsetenv("GLY_SNMP_TIMEOUT_MS");
  unsetenv("GLY_SNMP_RETRIES");

  // 20000 fonts is as many as are read: glyctl lists them and says so (11).
  const std::string listedOrCut = " || test $? -eq 11";
  const std::vector<std::string> glyctl = {GlyctlPath(), "fonts", config.address};
  // No MIB modules, as glyctl reads none.
  setenv("MIBS", "", 1);
  const std::vector<std::string> walk = {"snmpbulkwalk", "-v2c", "-c", "vorpal", "-On",
                                         config.address + ":" + std::to_string(port), "1.3.6.1.4.1.32473.2.1.2"};
  // One untimed run of each, which also warms the page cache.
  const int listed = LinesOf(glyctl[0] + " fonts " + config.address + " 2>/dev/null" + listedOrCut) - 1;  // below the heading
  RunQuietly(walk);
  std::vector<double> ours, peer, ratios;
  for (auto _ : state) {
    const QuietRun oursRun = RunQuietly(glyctl);
    const QuietRun peerRun = RunQuietly(walk);
    if ((oursRun.status != 0 && oursRun.status != 11) || peerRun.status != 0)
      return state.SkipWithError("glyctl or snmpbulkwalk failed");
    const double oursMs = oursRun.ms;
    const double peerMs = peerRun.ms;
    ours.push_back(oursMs);
    peer.push_back(peerMs);
    ratios.push_back(oursMs / peerMs);
    state.SetIterationTime(oursMs / 1000);
  }
  state.counters["fonts_listed"] = listed;
  state.counters["glyctl_min_ms"] = *std::min_element(ours.begin(), ours.end());
  state.counters["glyctl_max_ms"] = *std::max_element(ours.begin(), ours.end());
  state.counters["walk_min_ms"] = *std::min_element(peer.begin(), peer.end());
  state.counters["walk_max_ms"] = *std::max_element(peer.begin(), peer.end());
  state.counters["ratio_min"] = *std::min_element(ratios.begin(), ratios.end());
  state.counters["ratio_median"] = Median(ratios);
  state.counters["ratio_max"] = *std::max_element(ratios.begin(), ratios.end());
}

BENCHMARK(BM_DiscoverSubnetAgainstSnmpgetLoop)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiscoverSiteAgainstSnmpgetOfItsPrinters)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FontTableAgainstSnmpbulkwalk)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Iterations(7)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
