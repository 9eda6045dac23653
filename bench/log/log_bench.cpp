// Lines per second: tessel's log (flush count 100, default size thresholds)
// against spdlog's basic file logger writing the same lines in a like format.
//
// The runtime services are started by hand on a scratch registry and Windows
// directory, so the run leaves nothing behind.
#include <benchmark/benchmark.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "platform/registry.h"
#include "runtime.h"
#include "tessel/qrtl.h"

namespace {

constexpr int kLines = 100000;
constexpr int kFlushCount = 100;

std::string g_directory;

std::string LogPath(const char* name) { return g_directory + "/" + name; }

void TesselLog(benchmark::State& state) {
  const std::string path = LogPath("tessel.log");
  char text[64];
  for (auto _ : state) {
    std::filesystem::remove(path);
    if (QRTLEnableLogging(path.c_str(), QRTL_LOG_ALL, kFlushCount) != QRTL_SUCCESS) {
      state.SkipWithError("cannot enable logging");
      break;
    }
    for (int i = 0; i < kLines; ++i) {
      std::snprintf(text, sizeof text, "benchmark line %d", i);
      QRTLWriteToLog(200, QRTL_LOG_INFO, text);
    }
    QRTLDisableLogging();
  }
  state.counters["lines_per_second"] =
      benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(TesselLog)->Unit(benchmark::kMillisecond)->UseRealTime();

void SpdlogBasicFile(benchmark::State& state) {
  const std::string path = LogPath("spdlog.log");
  char text[64];
  for (auto _ : state) {
    auto logger = spdlog::basic_logger_mt("bench", path, true);
    logger->set_pattern("%m/%d/%Y %H:%M:%S.%e\t%n\t%l\t%v");
    logger->flush_on(spdlog::level::err);
    for (int i = 0; i < kLines; ++i) {
      std::snprintf(text, sizeof text, "benchmark line %d", i);
      logger->info(text);
    }
    logger->flush();
    spdlog::drop("bench");
  }
  state.counters["lines_per_second"] =
      benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(SpdlogBasicFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "log-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  g_directory = pattern;
  setenv(PLATFORM_REGISTRY_HKLM_ENV, LogPath("hklm.sqlite").c_str(), 1);
  setenv(PLATFORM_REGISTRY_HKCU_ENV, LogPath("hkcu.sqlite").c_str(), 1);
  setenv(PLATFORM_WINDOWS_DIR_ENV, g_directory.c_str(), 1);
  if (!tessel::qrtl::StartRuntimeServices()) return 1;

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  tessel::qrtl::StopRuntimeServices();
  std::filesystem::remove_all(g_directory);
  return 0;
}
