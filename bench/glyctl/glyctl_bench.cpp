// `glyctl download` of one PCL font to 20 virtual printers with the real
// clock and the real LPR pacing, one printer at a time (the program's way)
// against N printers side by side. The "speedup" counter is the time of
// --parallel 1 over this run's time.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "glyctl/glyctl.h"
#include "glyctl_bench_setup.h"
#include "printer_sim.h"
#include "sim_test_support.h"

namespace {

constexpr int kPrinters = 20;
constexpr char kSubnet[] = "127.89.0.";

double g_oneAtATimeMs = 0;

void BM_DownloadToTwentyPrinters(benchmark::State& state) {
  const int parallel = static_cast<int>(state.range(0));
  char pattern[] = "/tmp/gly-glyctl-bench-XXXXXX";
  const std::filesystem::path dir = mkdtemp(pattern);
  const std::string font = (dir / "BenchGothic.sfp").string();
  std::ofstream(font, std::ios::binary) << sim_test::PclSoftFont("BenchGothic", 12);

  printer_sim::Simulator simulator;
  std::vector<std::string> addresses;
  for (int i = 0; i < kPrinters; ++i) addresses.push_back(kSubnet + std::to_string(10 + i));
  std::string error;
  if (const std::optional<BenchPrinterPorts> ports = StartBenchPrinters(simulator, addresses, error))
    SetPortVariables(*ports);
  else
    state.SkipWithError(error.c_str());

  std::vector<std::string> args = {"download", "--parallel", std::to_string(parallel), font, "--printers"};
  args.insert(args.end(), addresses.begin(), addresses.end());
  double elapsedMs = 0;
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    GlyctlEnvironment environment = BenchGlyctlEnvironment(out, err, dir.string());
    const auto start = std::chrono::steady_clock::now();
    const int status = RunGlyctl(args, environment);
    elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) state.SkipWithError(("glyctl failed: " + err.str()).c_str());
    state.SetIterationTime(elapsedMs / 1000);
  }
  if (parallel == 1) g_oneAtATimeMs = elapsedMs;
  state.counters["printers"] = kPrinters;
  state.counters["elapsed_ms"] = elapsedMs;
  if (g_oneAtATimeMs > 0) state.counters["speedup"] = g_oneAtATimeMs / elapsedMs;
  std::filesystem::remove_all(dir);
}

// --parallel 1 first: the others are measured against it.
BENCHMARK(BM_DownloadToTwentyPrinters)
    ->Arg(1)
    ->Arg(4)
    ->Arg(20)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
