// How long `glyctl --help` takes from start to end, against `snmpget -V`
// (net-snmp's smallest start) in the same run: the "ratio" counter of the
// glyctl row is its time over snmpget's, each the best of its runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

double g_snmpgetMs = 0;

// The time one run of `argv` takes, its output thrown away.
double RunOnceMs(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0) waitpid(child, nullptr, 0);
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Measure(benchmark::State& state, const std::vector<std::string>& argv, bool isGlyctl) {
  double best = 1e9;
  for (auto _ : state) {
    const double ms = RunOnceMs(argv);
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
