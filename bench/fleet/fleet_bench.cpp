// `glyctl check` of a two-font set on 200 virtual printers holding 100 fonts
// each, --parallel 32, against one printer's font listing times
// ceil(200 / 32) in the same run: "ratio" is the check's time over that
// (at most 1.5 is the aim). Each printer answers SNMP 20 ms late, as a
// printer across a network does. "rss_growth_kb" is how much the process's
// largest resident size grew during the check.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fleet/fleet_check.h"
#include "glyctl/glyctl.h"
#include "glyctl_bench_setup.h"
#include "printer_sim.h"
#include "printers/printer_list_file.h"
#include "printers/printer_record.h"
#include "sim_test_support.h"

namespace {

constexpr char kSubnet[] = "127.90.";

long MaxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_CheckFleet(benchmark::State& state) {
  const int printers = static_cast<int>(state.range(0));
  const int parallel = static_cast<int>(state.range(1));
  char pattern[] = "/tmp/gly-fleet-bench-XXXXXX";
  const std::filesystem::path dir = mkdtemp(pattern);
  std::vector<std::string> files;
  for (const char* name : {"BenchGothic", "BenchCourier"}) {
    files.push_back((dir / (std::string(name) + ".sfp")).string());
    std::ofstream(files.back(), std::ios::binary) << sim_test::PclSoftFont(name, 12);
  }

  printer_sim::Simulator simulator;
  std::vector<std::string> addresses;
  for (int i = 0; i < printers; ++i)
    addresses.push_back(kSubnet + std::to_string(1 + i / 200) + "." + std::to_string(10 + i % 200));
  std::string error;
  const std::optional<BenchPrinterPorts> ports =
      StartBenchPrinters(simulator, addresses, error, [](printer_sim::PrinterConfig& config) {
        config.postScriptFonts = 50;
        config.pclFonts = 50;
      });
  if (ports) SetPortVariables(*ports);
  else state.SkipWithError(error.c_str());
  // A printer on a network answers in milliseconds, not microseconds: a
  // listing then waits on the printer, as in the field, rather than on the
  // CPU that plays all of them here.
  printer_sim::Faults latency;
  latency.snmpDelayMs = static_cast<uint32_t>(state.range(2));
  for (size_t i = 0; i < simulator.PrinterCount(); ++i) simulator.SetFaults(i, latency);

  // One listing, the best of three.
  PrinterRecord first = MakePrinterRecord();
  first.address = ParseDottedAddress(addresses.front()).value_or(0);
  double listingMs = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (ReadPrinterFonts(first).fonts.size() != 100) state.SkipWithError("the listing did not give 100 fonts");
    listingMs = std::min(listingMs, MsSince(start));
  }

  std::vector<std::string> args = {"check", "--parallel", std::to_string(parallel), "--format", "csv"};
  args.insert(args.end(), files.begin(), files.end());
  args.push_back("--printers");
  args.insert(args.end(), addresses.begin(), addresses.end());
  double elapsedMs = 0;
  long rssGrowth = 0;
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    GlyctlEnvironment environment = BenchGlyctlEnvironment(out, err, dir.string());
    const long rssBefore = MaxRssKb();
    const auto start = std::chrono::steady_clock::now();
    const int status = RunGlyctl(args, environment);
    elapsedMs = MsSince(start);
    rssGrowth = MaxRssKb() - rssBefore;
    // Every printer lacks both fonts: 1.
    if (status != 1) state.SkipWithError(("glyctl check failed: " + err.str()).c_str());
    state.SetIterationTime(elapsedMs / 1000);
  }
  const int rounds = (printers + parallel - 1) / parallel;
  state.counters["printers"] = printers;
  state.counters["listing_ms"] = listingMs;
  state.counters["elapsed_ms"] = elapsedMs;
  state.counters["ratio"] = elapsedMs / (listingMs * rounds);
  state.counters["rss_growth_kb"] = static_cast<double>(rssGrowth);
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_CheckFleet)
    ->Args({200, 32, 20})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
