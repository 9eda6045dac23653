// A large TrueType font (the largest of fonts-noto-core) converted and sent
// to 20 virtual printers by the glyctl program beside this one, one printer
// at a time and all 20 side by side, in the same run:
//
//   build/bin/convert_once_bench [FONT]
//
// Each run's CPU time (user and system) and peak resident memory are the
// glyctl process's own, from wait4. The virtual printers run in a process
// of their own, forked before they start: a process made by exec reports
// as its peak at least that of the process it was spawned from, and the
// printers keep every font they receive, so spawned beside them glyctl
// would report their memory rather than its own. Each way runs twice,
// taking turns, and counts with its lesser CPU time and peak: other work on
// the machine only ever adds to them.
//
// Side by side may cost at most 1.3 times the CPU and 1.5 times the memory
// of one at a time, since the font is converted once and its job files are
// shared; the exit status is 1 when either limit is passed. The jobs go to
// the printers' raw port: LPR's pause after each 1024-byte block would make
// a run of megabyte jobs to 20 printers one at a time last an hour, and
// measures nothing of the conversion.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "glyctl_bench_setup.h"
#include "quiet_process.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPrinters = 20;
constexpr int kRounds = 2;
constexpr char kSubnet[] = "127.93.0.";
constexpr char kNotoFolder[] = "/usr/share/fonts/truetype/noto";
constexpr double kMostCpuRatio = 1.3;
constexpr double kMostMemoryRatio = 1.5;

std::string LargestNotoFont() {
  std::string largest;
  std::uintmax_t size = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kNotoFolder, error)) {
    if (entry.path().extension() != ".ttf" || entry.file_size() <= size) continue;
    size = entry.file_size();
    largest = entry.path().string();
  }
  return largest;
}

// Forks a process that runs a virtual printer at each of `addresses` until
// it is sent SIGTERM or this process ends; its id, with the printers' ports
// in `ports`, once every printer listens, or -1 (told on stderr).
pid_t StartPrinters(const std::vector<std::string>& addresses, BenchPrinterPorts& ports) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    close(ready[0]);
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &terminate, nullptr);  // the simulator's threads inherit it
    prctl(PR_SET_PDEATHSIG, SIGTERM);                  // a bench stopped by ^C leaves no printers behind
    printer_sim::Simulator simulator;
    std::string error;
    const std::optional<BenchPrinterPorts> started = StartBenchPrinters(simulator, addresses, error);
    if (!started) {
      std::fprintf(stderr, "convert_once_bench: %s\n", error.c_str());
      _exit(2);
    }
    if (write(ready[1], &*started, sizeof *started) != sizeof *started) _exit(2);
    int signal = 0;
    sigwait(&terminate, &signal);
    simulator.Stop();
    _exit(0);
  }
  close(ready[1]);
  const bool listening = read(ready[0], &ports, sizeof ports) == sizeof ports;
  close(ready[0]);
  if (listening) return pid;
  waitpid(pid, nullptr, 0);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string font = argc > 1 ? argv[1] : LargestNotoFont();
  if (font.empty()) {
    std::fprintf(stderr, "convert_once_bench: no TrueType font in %s (package fonts-noto-core)\n", kNotoFolder);
    return 2;
  }
  std::vector<std::string> addresses;
  for (int i = 0; i < kPrinters; ++i) addresses.push_back(kSubnet + std::to_string(10 + i));
  BenchPrinterPorts ports;
  const pid_t printers = StartPrinters(addresses, ports);
  if (printers < 0) return 2;

  char pattern[] = "/tmp/gly-convert-once-XXXXXX";
  const fs::path scratch = mkdtemp(pattern);
  const std::string glyctl = fs::read_symlink("/proc/self/exe").parent_path().string() + "/glyctl";
  std::vector<std::string> environment = PortVariables(ports);
  environment.insert(environment.end(), {"HOME=" + scratch.string(), "TMPDIR=" + scratch.string(),
                                         "PATH=/usr/bin:/bin", "LANG=C.UTF-8"});

  std::printf("%s (%ju bytes) to %d printers, converted to both formats\n", font.c_str(),
              static_cast<uintmax_t>(fs::file_size(font)), kPrinters);
  std::printf("%-12s %8s %10s %10s %6s\n", "--parallel", "wall s", "CPU s", "peak MiB", "exit");
  const int parallels[2] = {1, kPrinters};
  QuietRun least[2];
  bool ran = true;
  for (int round = 0; round < kRounds; ++round) {
    for (int i = 0; i < 2; ++i) {
      std::vector<std::string> argv = {glyctl, "download", "--parallel", std::to_string(parallels[i]),
                                       "--convert", "both", "--no-verify", "--port", "raw", font, "--printers"};
      argv.insert(argv.end(), addresses.begin(), addresses.end());
      const QuietRun usage = RunQuietly(argv, &environment);
      std::printf("%-12d %8.2f %10.2f %10.1f %6d\n", parallels[i], usage.ms / 1000, usage.cpuSeconds, usage.peakMiB,
                  usage.status);
      ran = ran && usage.status == 0;
      least[i].cpuSeconds = round == 0 ? usage.cpuSeconds : std::min(least[i].cpuSeconds, usage.cpuSeconds);
      least[i].peakMiB = round == 0 ? usage.peakMiB : std::min(least[i].peakMiB, usage.peakMiB);
    }
  }
  fs::remove_all(scratch);
  kill(printers, SIGTERM);
  waitpid(printers, nullptr, 0);
  const double cpuRatio = least[1].cpuSeconds / std::max(least[0].cpuSeconds, 1e-3);
  const double memoryRatio = least[1].peakMiB / std::max(least[0].peakMiB, 1e-3);
  std::printf("CPU ratio %.2f (at most %.1f), memory ratio %.2f (at most %.1f)\n", cpuRatio, kMostCpuRatio,
              memoryRatio, kMostMemoryRatio);
  if (!ran) std::printf("a run of glyctl failed\n");
  return ran && cpuRatio <= kMostCpuRatio && memoryRatio <= kMostMemoryRatio ? 0 : 1;
}
