// Soak of `glyctl download` against faulty printers. Not a test: run it by
// hand after a build, for as long as you like (15 minutes is the usual run):
//
//   build/bin/download_soak SECONDS [PRINTERS]        (PRINTERS: 40)
//
// PRINTERS virtual printers run in this process, in groups of eight, each
// group served by its own runner. Each round writes a PCL font, a PCL
// macro and a PostScript form whose bytes are new (same sizes, new
// contents) and runs the glyctl program beside this one as
//
//   glyctl download --parallel 8 --format csv ... --printers GROUP
//
// while a thread flips the printers' faults at random (no SNMP answers,
// late SNMP answers, refused LPD connections, a negative acknowledgement or
// a closed connection at a random LPD step, or none). Some printers also
// have a lasting flaw: a full disk, a PJL password glyctl is not given,
// file-system access switched off, no font table (asked over PJL), slow or
// late PJL answers, or replies with LF line ends, the ECHO first and
// unsolicited status. For every row that says "Downloaded" the printer must
// hold exactly this round's bytes; anything else is a false "Downloaded".
//
// The report gives rounds, rows by status, fault flips, crashes (glyctl
// ended by a signal), hangs (a round killed after 10 minutes) and false
// "Downloaded"s. The exit status is 1 when any of the last three is not 0.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "agent_peers.h"
#include "printer_sim.h"
#include "sim_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr size_t kGroupSize = 8;
constexpr auto kHangLimit = std::chrono::minutes(10);
constexpr char kSubnet[] = "127.91.0.";
constexpr int kMacroId = 7;
constexpr char kFormName[] = "Letter";

// One resource of a round: its file name, where a printer stores it, and
// the bytes it must then hold.
struct Resource {
  std::string fileName;
  std::string storedPath;
  std::string bytes;
};

// This round's resources, their contents tagged with `round` (fixed width,
// so a stale copy has the size of the new one).
std::vector<Resource> RoundResources(unsigned round) {
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08u", round % 100000000u);
  return {
      {"Soak.sfp", "pcl/fonts/Soak", sim_test::PclSoftFont("Soak", 12) + "\x1b*c" + std::string(tag) + "E"},
      {"logo.pcl", "pcl/macros/" + std::to_string(kMacroId), "\x1b*p300x400YLogo" + std::string(tag)},
      {"letter.frm", std::string("Resource/Form/") + kFormName,
       "/" + std::string(kFormName) + " 1 /Form defineresource pop\n% " + tag + "\n"},
  };
}

// The lasting flaw of printer `i`: one printer in eight has none.
printer_sim::PrinterConfig PrinterWithFlaw(size_t i) {
  printer_sim::PrinterConfig config;
  config.deletionMs = 0;
  switch (i % 8) {
    case 1: config.diskFull = true; break;
    case 2: config.pjlPassword = 4711; break;
    case 3: config.fileSystemAccess = false; break;
    case 4: printer_sim::UseRealPrinterDefaults(config.snmp); break;
    case 5:
      printer_sim::UseRealPrinterDefaults(config.snmp);
      config.pjl.answerDelayMs = 1500;
      break;
    case 6:
      printer_sim::UseRealPrinterDefaults(config.snmp);
      config.pjl.lateAnswer = 2;
      config.pjl.lateAnswerMs = 20000;
      break;
    case 7:
      printer_sim::UseRealPrinterDefaults(config.snmp);
      config.pjl.lineEnd = "\n";
      config.pjl.echoFirst = true;
      config.pjl.unsolicitedStatus = true;
      break;
    default: break;
  }
  return config;
}

struct Totals {
  std::mutex lock;
  unsigned rounds = 0;
  std::map<int, unsigned> roundsByExitStatus;
  std::map<std::string, unsigned> rowsByStatus;
  unsigned crashes = 0;
  unsigned hangs = 0;
  unsigned falseDownloaded = 0;
};

struct Soak {
  printer_sim::Simulator simulator;
  std::vector<std::string> addresses;
  std::map<std::string, size_t> printerOf;  // address -> printer number
  std::string glyctl;
  std::vector<std::string> environment;
  fs::path scratch;
  Clock::time_point end;
  std::atomic<unsigned> nextRound{1};
  std::atomic<unsigned> flips{0};
  std::atomic<bool> stop{false};
  Totals totals;
};

// A random fault, or none half the time. Silent SNMP is rare: one silent
// printer keeps glyctl from sending anything to its whole group.
printer_sim::Faults RandomFaults(std::mt19937& random) {
  using printer_sim::LpdFailure;
  printer_sim::Faults faults;
  const int pick = std::uniform_int_distribution<int>(0, 99)(random);
  const auto step = static_cast<printer_sim::LpdStep>(std::uniform_int_distribution<int>(0, 4)(random));
  if (pick < 50) return faults;
  if (pick < 55) faults.snmpSilent = true;
  else if (pick < 65) faults.snmpDelayMs = std::uniform_int_distribution<uint32_t>(200, 4000)(random);
  else if (pick < 75) faults.lpdRefused = true;
  else {
    faults.lpdFailure = pick < 88 ? LpdFailure::kNegativeAck : LpdFailure::kClose;
    faults.lpdFailureStep = step;
  }
  return faults;
}

void FlipFaults(Soak& soak) {
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<size_t> printer(0, soak.addresses.size() - 1);
  std::uniform_int_distribution<int> pauseMs(200, 1000);
  while (!soak.stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    soak.simulator.SetFaults(printer(random), RandomFaults(random));
    ++soak.flips;
  }
}

struct Outcome {
  int waitStatus = 0;
  bool hung = false;
  std::string out;
};

// Runs glyctl with `args`, its standard output read into the outcome and
// its errors dropped; killed once it has run past the hang limit.
Outcome RunGlyctl(const Soak& soak, const std::vector<std::string>& args) {
  Outcome outcome;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return outcome;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(soak.glyctl.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : soak.environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, soak.glyctl.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    std::fprintf(stderr, "download_soak: cannot run %s\n", soak.glyctl.c_str());
    std::exit(2);
  }
  const Clock::time_point limit = Clock::now() + kHangLimit;
  char buffer[4096];
  for (;;) {
    pollfd reader{pipeEnds[0], POLLIN, 0};
    if (poll(&reader, 1, 1000) > 0) {
      const ssize_t size = read(pipeEnds[0], buffer, sizeof buffer);
      if (size <= 0) break;
      outcome.out.append(buffer, static_cast<size_t>(size));
    } else if (Clock::now() > limit) {
      outcome.hung = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  close(pipeEnds[0]);
  waitpid(pid, &outcome.waitStatus, 0);
  return outcome;
}

// The CSV rows "printer,file,status" after the heading; a status may be quoted.
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // the heading
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find(',');
    const size_t second = first == std::string::npos ? first : line.find(',', first + 1);
    if (second == std::string::npos) continue;
    std::string status = line.substr(second + 1);
    if (status.size() >= 2 && status.front() == '"') status = status.substr(1, status.size() - 2);
    rows.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1), status});
  }
  return rows;
}

void RunRound(Soak& soak, const std::vector<std::string>& group, const fs::path& folder) {
  const unsigned round = soak.nextRound++;
  const std::vector<Resource> resources = RoundResources(round);
  std::vector<std::string> args = {"download", "--parallel", std::to_string(group.size()), "--format", "csv",
                                   "--macro-id", std::to_string(kMacroId), "--form-name", kFormName};
  for (const Resource& resource : resources) {
    sim_test::WriteFile((folder / resource.fileName).string(), resource.bytes);
    args.push_back((folder / resource.fileName).string());
  }
  args.push_back("--printers");
  args.insert(args.end(), group.begin(), group.end());

  const Outcome outcome = RunGlyctl(soak, args);
  std::lock_guard<std::mutex> hold(soak.totals.lock);
  ++soak.totals.rounds;
  if (outcome.hung) ++soak.totals.hangs;
  if (WIFEXITED(outcome.waitStatus)) ++soak.totals.roundsByExitStatus[WEXITSTATUS(outcome.waitStatus)];
  if (WIFSIGNALED(outcome.waitStatus) && !outcome.hung) {
    ++soak.totals.crashes;
    std::fprintf(stderr, "round %u: glyctl ended by signal %d\n", round, WTERMSIG(outcome.waitStatus));
  }
  for (const std::vector<std::string>& row : CsvRows(outcome.out)) {
    ++soak.totals.rowsByStatus[row[2]];
    if (row[2] != "Downloaded") continue;
    const auto printer = soak.printerOf.find(row[0]);
    for (const Resource& resource : resources) {
      if (printer == soak.printerOf.end() || resource.fileName != row[1]) continue;
      const std::optional<std::string> held =
          soak.simulator.ReadFile(printer->second, printer_sim::Volume::kDisk, resource.storedPath);
      if (held == resource.bytes) continue;
      ++soak.totals.falseDownloaded;
      std::fprintf(stderr, "round %u: %s %s says Downloaded but the printer holds %s\n", round, row[0].c_str(),
                   row[1].c_str(), held ? "other bytes" : "no such file");
    }
  }
}

// Each group has its own runner, so no two rounds write to one printer at
// once; the rounds wait on the printers far more than they compute.
void Serve(Soak& soak, const std::vector<std::string>& group, size_t number) {
  const fs::path folder = soak.scratch / ("group" + std::to_string(number));
  fs::create_directories(folder);
  while (Clock::now() < soak.end) RunRound(soak, group, folder);
}

std::string ProgramFolder() {
  return fs::read_symlink("/proc/self/exe").parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 0;
  const int printers = argc > 2 ? std::atoi(argv[2]) : 40;
  if (seconds <= 0 || printers <= 0 || printers > 200) {
    std::fprintf(stderr, "usage: download_soak SECONDS [PRINTERS]\n");
    return 2;
  }
  Soak soak;
  for (int i = 0; i < printers; ++i) soak.addresses.push_back(kSubnet + std::to_string(10 + i));
  const uint16_t snmpPort = FreeUdpPort(soak.addresses);
  const uint16_t lpdPort = FreeTcpPort(soak.addresses);
  uint16_t rawPort = FreeTcpPort(soak.addresses);
  while (rawPort == lpdPort) rawPort = FreeTcpPort(soak.addresses);
  for (size_t i = 0; i < soak.addresses.size(); ++i) {
    printer_sim::PrinterConfig config = PrinterWithFlaw(i);
    config.address = soak.addresses[i];
    config.snmpPort = snmpPort;
    config.lpdPort = lpdPort;
    config.rawPort = rawPort;
    std::string error;
    if (!soak.simulator.AddPrinter(config, &error)) {
      std::fprintf(stderr, "download_soak: cannot start a printer at %s: %s\n", config.address.c_str(),
                   error.c_str());
      return 2;
    }
    soak.printerOf[config.address] = i;
  }
  soak.simulator.Start();

  char pattern[] = "/tmp/gly-download-soak-XXXXXX";
  soak.scratch = mkdtemp(pattern);
  soak.glyctl = ProgramFolder() + "/glyctl";
  soak.environment = {"GLY_SNMP_PORT=" + std::to_string(snmpPort), "GLY_LPR_PORT=" + std::to_string(lpdPort),
                      "GLY_RAW_PORT=" + std::to_string(rawPort), "HOME=" + soak.scratch.string(),
                      "TMPDIR=" + soak.scratch.string(), "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
  soak.end = Clock::now() + std::chrono::seconds(seconds);

  std::thread flipper(FlipFaults, std::ref(soak));
  std::vector<std::thread> runners;
  std::vector<std::vector<std::string>> groups;
  for (size_t first = 0; first < soak.addresses.size(); first += kGroupSize)
    groups.emplace_back(soak.addresses.begin() + first,
                        soak.addresses.begin() + std::min(first + kGroupSize, soak.addresses.size()));
  for (size_t group = 0; group < groups.size(); ++group)
    runners.emplace_back(Serve, std::ref(soak), std::cref(groups[group]), group);
  for (std::thread& runner : runners) runner.join();
  soak.stop = true;
  flipper.join();
  soak.simulator.Stop();
  fs::remove_all(soak.scratch);

  Totals& totals = soak.totals;
  unsigned rows = 0;
  for (const auto& [status, count] : totals.rowsByStatus) rows += count;
  std::printf("printers %d, seconds %d, rounds %u, jobs (rows) %u, fault flips %u\n", printers, seconds, totals.rounds,
              rows, soak.flips.load());
  for (const auto& [status, count] : totals.roundsByExitStatus)
    std::printf("  %6u  rounds ended with exit status %d\n", count, status);
  for (const auto& [status, count] : totals.rowsByStatus) std::printf("  %6u  rows %s\n", count, status.c_str());
  std::printf("crashes %u, hangs %u, false \"Downloaded\" %u\n", totals.crashes, totals.hangs,
              totals.falseDownloaded);
  return totals.crashes + totals.hangs + totals.falseDownloaded == 0 ? 0 : 1;
}
