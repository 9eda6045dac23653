// LPR jobs to a loopback daemon with the real clock.
//
// BM_LprOneMebibyteJob: one 1 MiB job with the classic pacing, against the
// exchange's own lower bound: S / 1024 x 10 ms of block pacing plus 950 ms
// of fixed waits. The "ratio" counter should stay close to 1.
//
// BM_LprUnpacedAgainstRaw: one 2 MB job without pacing against the same job
// through the raw job port to a loopback reader that drains it and closes,
// in the same run, taking turns, each the best of ten. The "ratio" counter
// (LPR over raw) should stay at 3 or below.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "download/job_port.h"
#include "download/lpr.h"
#include "loopback_listener.h"
#include "lpd_receiver.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kJobSize = 1 << 20;
constexpr size_t kUnpacedJobSize = 2'000'000;
constexpr int kTries = 10;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A job file of `size` bytes in a folder of its own, removed with it.
class BenchJob {
 public:
  explicit BenchJob(size_t size) {
    char pattern[] = "/tmp/gly-lpr-bench-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ / "tmpPrintFile.tmp";
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~BenchJob() { std::filesystem::remove_all(dir_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path dir_, path_;
};

// A printer's raw port on loopback: takes one connection, keeps every byte
// it reads, and closes once the sender has shut its side.
class RawReceiver {
 public:
  RawReceiver() {
    listener_ = ListenOnLoopback("127.0.0.1", port_);
    if (listener_ < 0) throw std::runtime_error("RawReceiver: cannot listen on loopback");
    thread_ = std::thread([this] {
      const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      std::vector<char> buffer(1 << 16);
      for (ssize_t got; connection >= 0 && (got = read(connection, buffer.data(), buffer.size())) > 0;)
        received_.append(buffer.data(), static_cast<size_t>(got));
      if (connection >= 0) close(connection);
    });
  }
  ~RawReceiver() {
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }
  uint16_t port() const { return port_; }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  std::string received_;
  std::thread thread_;
};

void BM_LprOneMebibyteJob(benchmark::State& state) {
  const BenchJob job(kJobSize);
  const double boundMs = static_cast<double>(kJobSize) / 1024 * 10 + 950;
  double elapsedMs = 0;
  for (auto _ : state) {
    LpdReceiver receiver;
    LprSettings settings;
    settings.port = receiver.port();
    const Clock::time_point start = Clock::now();
    const int result = SubmitLprJob("127.0.0.1", *OpenShippedJobFile(job.path()), "GLY", 0, settings);
    elapsedMs = MsSince(start);
    if (result != 0) state.SkipWithError(("LPR job failed: " + std::to_string(result)).c_str());
    receiver.Received();
    state.SetIterationTime(elapsedMs / 1000);
  }
  state.counters["bound_ms"] = boundMs;
  state.counters["elapsed_ms"] = elapsedMs;
  state.counters["ratio"] = elapsedMs / boundMs;
}

// The time of one send of `job` through `port` to a fresh receiver;
// negative when it fails.
template <typename Receiver>
double SendMs(const BenchJob& job, JobPort port, const std::function<void(JobPortSettings&, uint16_t)>& aim) {
  Receiver receiver;
  JobPortSettings settings;
  aim(settings, receiver.port());
  const Clock::time_point start = Clock::now();
  if (SubmitJob("127.0.0.1", port, *OpenShippedJobFile(job.path()), "GLY", 0, settings).code != 0) return -1;
  return MsSince(start);
}

// The better of two times, either of which may be missing (negative).
double Best(double best, double ms) { return best < 0 || (ms >= 0 && ms < best) ? ms : best; }

void BM_LprUnpacedAgainstRaw(benchmark::State& state) {
  const BenchJob job(kUnpacedJobSize);
  double lprMs = 0, rawMs = 0;
  for (auto _ : state) {
    bool failed = false;
    lprMs = rawMs = -1;
    for (int attempt = 0; attempt < kTries; ++attempt) {
      const double raw = SendMs<RawReceiver>(job, JobPort::Raw, [](JobPortSettings& settings, uint16_t port) {
        settings.rawPort = port;
      });
      const double lpr = SendMs<LpdReceiver>(job, JobPort::Lpr, [](JobPortSettings& settings, uint16_t port) {
        settings.lprPort = port;
        settings.lprPacing = LprPacing::None;
      });
      failed = failed || raw < 0 || lpr < 0;
      rawMs = Best(rawMs, raw);
      lprMs = Best(lprMs, lpr);
    }
    if (failed) state.SkipWithError("a job failed");
    state.SetIterationTime(lprMs / 1000);
  }
  state.counters["job_bytes"] = kUnpacedJobSize;
  state.counters["lpr_ms"] = lprMs;
  state.counters["raw_ms"] = rawMs;
  state.counters["ratio"] = lprMs / rawMs;
}

BENCHMARK(BM_LprOneMebibyteJob)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LprUnpacedAgainstRaw)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
