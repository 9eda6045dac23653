// `glyctl download --convert type1` of one real TrueType font (Noto Sans
// Cuneiform, a 2.2 MB PostScript job once converted) through each job port:
// to 20 virtual printers side by side over LPR and over raw AppSocket, and
// to one ippeveprinter over IPP. Each is measured against the time the
// same bytes need through one loopback TCP connection to a reader that only
// drains them, in the same run.
//
// Counters: job_bytes (one printer's job), elapsed_ms (from the first job
// handed to its port to the last one done), run_ms (the whole command:
// look-up, conversion, sending, verification), loopback_ms (the best of
// five pushes of all jobs' bytes) and ratio (elapsed over loopback). LPR
// paces its data on purpose, so its case also has bound_ms, the pacing one
// job is held to (job_bytes / 1024 x 10 ms plus 950 ms of fixed waits; the
// printers are served side by side), and bound_ratio, which should stay
// close to 1. A raw job is done when the printer has run it and closed the
// connection, so its time holds the virtual printers' work too.
//
// The IPP printer has no SNMP agent: a virtual printer on 127.0.0.1 answers
// the look-up for it, and the download runs with --no-verify (that printer
// never sees the font); the document ippeveprinter keeps is compared with
// the job instead. One iteration per case; a run takes about half a minute,
// nearly all of it LPR's pacing.
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "download/job_port.h"
#include "glyctl/glyctl.h"
#include "glyctl_bench_setup.h"
#include "ipp_peer.h"
#include "printer_sim.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kFont[] = "/usr/share/fonts/truetype/noto/NotoSansCuneiform-Regular.ttf";
constexpr int kPrinters = 20;
constexpr char kSubnet[] = "127.89.0.";

double Ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// What the download handed to its job ports: the first job's bytes, how
// many jobs, and the span from the first start to the last end.
class SentJobs {
 public:
  JobOutcome Submit(const char* address, JobPort port, const JobFile& job, const char* host, int number) {
    const Clock::time_point start = Clock::now();
    Remember(job, start);
    const JobOutcome outcome = SubmitJob(address, port, job, host, number);
    std::lock_guard lock(mutex_);
    last_ = std::max(last_, Clock::now());
    return outcome;
  }
  const std::string& bytes() const { return bytes_; }
  int jobs() const { return jobs_; }
  double elapsedMs() const { return Ms(last_ - first_); }

 private:
  void Remember(const JobFile& job, Clock::time_point start) {
    std::lock_guard lock(mutex_);
    if (jobs_++ == 0) {
      first_ = start;
      struct stat status{};
      fstat(job.descriptor(), &status);
      bytes_.resize(static_cast<size_t>(status.st_size));
      // pread leaves the descriptor's offset where the port expects it.
      if (pread(job.descriptor(), bytes_.data(), bytes_.size(), 0) != status.st_size) bytes_.clear();
    }
    first_ = std::min(first_, start);
  }

  std::mutex mutex_;
  std::string bytes_;
  int jobs_ = 0;
  Clock::time_point first_, last_;
};

// Milliseconds to push `copies` x `bytes` through one loopback TCP
// connection to a reader that only drains it; negative if it cannot.
double LoopbackMs(const std::string& bytes, int copies) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener);
    return -1;
  }
  const Clock::time_point start = Clock::now();
  std::thread reader([listener] {
    const int connection = accept(listener, nullptr, nullptr);
    std::vector<char> buffer(1 << 16);
    while (connection >= 0 && read(connection, buffer.data(), buffer.size()) > 0) {
    }
    if (connection >= 0) close(connection);
  });
  const int sender = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool sent = connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  for (int copy = 0; sent && copy < copies; ++copy)
    for (size_t done = 0; sent && done < bytes.size();) {
      const ssize_t written = send(sender, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      sent = written > 0;
      if (sent) done += static_cast<size_t>(written);
    }
  close(sender);
  reader.join();
  close(listener);
  return sent ? Ms(Clock::now() - start) : -1;
}

// Virtual printers at `addresses` sharing one SNMP, LPD and AppSocket port,
// which GLY_SNMP_PORT, GLY_LPR_PORT and GLY_RAW_PORT then name.
bool StartPrinters(printer_sim::Simulator& simulator, const std::vector<std::string>& addresses) {
  std::string error;
  const std::optional<BenchPrinterPorts> ports = StartBenchPrinters(simulator, addresses, error);
  if (ports) SetPortVariables(*ports);
  return ports.has_value();
}

// True when `printer` kept one document, `bytes` exactly.
bool KeptWhole(const IppPeer& printer, const std::string& bytes) {
  const std::vector<std::filesystem::path> documents = printer.Documents();
  if (documents.size() != 1) return false;
  std::ifstream document(documents[0], std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(document), {}) == bytes;
}

void BM_DownloadConvertedFont(benchmark::State& state) {
  const auto port = static_cast<JobPort>(state.range(0));
  state.SetLabel(JobPortName(port));
  char pattern[] = "/tmp/gly-job-port-bench-XXXXXX";
  const std::filesystem::path dir = mkdtemp(pattern);
  std::filesystem::create_directory(dir / "spool");

  std::vector<std::string> addresses;
  if (port == JobPort::Ipp) addresses.push_back("127.0.0.1");
  else
    for (int i = 0; i < kPrinters; ++i) addresses.push_back(kSubnet + std::to_string(10 + i));
  printer_sim::Simulator simulator;
  std::optional<IppPeer> ippPrinter;
  if (port == JobPort::Ipp) {
    ippPrinter.emplace((dir / "spool").string(), std::vector<std::string>{"-c", "/bin/true"});
    setenv(kIppPortEnv, std::to_string(ippPrinter->port()).c_str(), 1);
  }
  if (!std::filesystem::exists(kFont)) state.SkipWithError("no Noto Sans Cuneiform (fonts-noto-core)");
  else if (!StartPrinters(simulator, addresses)) state.SkipWithError("cannot start the virtual printers");
  else if (ippPrinter && !ippPrinter->running()) state.SkipWithError("ippeveprinter did not start");

  std::vector<std::string> args = {"download", "--convert", "type1", "--port", JobPortName(port),
                                   "--parallel", std::to_string(addresses.size())};
  if (port == JobPort::Ipp) args.push_back("--no-verify");
  args.push_back(kFont);
  args.push_back("--printers");
  args.insert(args.end(), addresses.begin(), addresses.end());
  SentJobs sent;
  double runMs = 0;
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    GlyctlEnvironment environment = BenchGlyctlEnvironment(
        out, err, dir.string(), [&sent](const char* address, JobPort jobPort, const JobFile& job, const char* host,
                                        int number) { return sent.Submit(address, jobPort, job, host, number); });
    const Clock::time_point start = Clock::now();
    const int status = RunGlyctl(args, environment);
    runMs = Ms(Clock::now() - start);
    if (status != 0) state.SkipWithError(("glyctl failed: " + err.str() + out.str()).c_str());
    else if (sent.jobs() != static_cast<int>(addresses.size()) || sent.bytes().empty())
      state.SkipWithError(("one job per printer expected, not " + std::to_string(sent.jobs())).c_str());
    else if (ippPrinter && !KeptWhole(*ippPrinter, sent.bytes()))
      state.SkipWithError("ippeveprinter did not keep the job whole");
    state.SetIterationTime(sent.elapsedMs() / 1000);
  }
  // The best of a few: the reference should not carry another build's load.
  double loopbackMs = -1;
  for (int push = 0; push < 5 && !state.error_occurred(); ++push) {
    const double ms = LoopbackMs(sent.bytes(), sent.jobs());
    if (ms < 0) state.SkipWithError("cannot push the bytes through loopback");
    loopbackMs = push == 0 ? ms : std::min(loopbackMs, ms);
  }
  if (!state.error_occurred()) {
    const double jobBytes = static_cast<double>(sent.bytes().size());
    state.counters["printers"] = static_cast<double>(addresses.size());
    state.counters["job_bytes"] = jobBytes;
    state.counters["elapsed_ms"] = sent.elapsedMs();
    state.counters["run_ms"] = runMs;
    state.counters["loopback_ms"] = loopbackMs;
    state.counters["ratio"] = sent.elapsedMs() / loopbackMs;
    if (port == JobPort::Lpr) {
      const double boundMs = jobBytes / 1024 * 10 + 950;
      state.counters["bound_ms"] = boundMs;
      state.counters["bound_ratio"] = sent.elapsedMs() / boundMs;
    }
  }
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_DownloadConvertedFont)
    ->Arg(static_cast<int>(JobPort::Lpr))
    ->Arg(static_cast<int>(JobPort::Raw))
    ->Arg(static_cast<int>(JobPort::Ipp))
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
