// One 1 MiB LPR job to a loopback daemon with the real clock, against the
// exchange's own lower bound: S / 1024 x 10 ms of block pacing plus 950 ms
// of fixed waits. The "ratio" counter should stay close to 1.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "download/lpr.h"
#include "lpd_receiver.h"

namespace {

constexpr size_t kJobSize = 1 << 20;

void BM_LprOneMebibyteJob(benchmark::State& state) {
  char pattern[] = "/tmp/gly-lpr-bench-XXXXXX";
  std::filesystem::path dir = mkdtemp(pattern);
  std::filesystem::path job = dir / "tmpPrintFile.tmp";
  std::ofstream(job, std::ios::binary) << std::string(kJobSize, 'x');

  const double boundMs = static_cast<double>(kJobSize) / 1024 * 10 + 950;
  double elapsedMs = 0;
  for (auto _ : state) {
    LpdReceiver receiver;
    LprSettings settings;
    settings.port = receiver.port();
    auto start = std::chrono::steady_clock::now();
    int result = SubmitLprJob("127.0.0.1", *OpenShippedJobFile(job), "GLY", 0, settings);
    elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
    if (result != 0) state.SkipWithError(("LPR job failed: " + std::to_string(result)).c_str());
    receiver.Received();
    state.SetIterationTime(elapsedMs / 1000);
  }
  state.counters["bound_ms"] = boundMs;
  state.counters["elapsed_ms"] = elapsedMs;
  state.counters["ratio"] = elapsedMs / boundMs;
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_LprOneMebibyteJob)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
