// How long `glyctl --help` takes from start to end, against `snmpget -V`
// (net-snmp's smallest start) in the same run: the "ratio" counter of the
// glyctl row is its time over snmpget's, each the best of its runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "quiet_process.h"

namespace {

double g_snmpgetMs = 0;


void Measure(benchmark::State& state, const std::vector<std::string>& argv, bool isGlyctl) {
  double best = 1e9;
  for (auto _ : state) {
    const double ms = RunQuietly(argv).ms;
    best = std::min(best, ms);
    state.SetIterationTime(ms / 1000);
  }
  state.counters["best_ms"] = best;
  if (!isGlyctl) g_snmpgetMs = best;
  if (isGlyctl && g_snmpgetMs > 0) state.counters["ratio"] = best / g_snmpgetMs;
}

// snmpget first: glyctl is measured against it.
void BM_SnmpgetVersion(benchmark::State& state) { Measure(state, {"snmpget", "-V"}, false); }
void BM_GlyctlHelp(benchmark::State& state) { Measure(state, {GLYCTL_PROGRAM, "--help"}, true); }
void BM_GlyctlVersion(benchmark::State& state) { Measure(state, {GLYCTL_PROGRAM, "--version"}, true); }

BENCHMARK(BM_SnmpgetVersion)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlyctlHelp)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlyctlVersion)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
