// The PJL font inventory of a printer without our font table: 200 PCL fonts
// downloaded to a virtual printer's disk, listed over its AppSocket port
// (directory listing, the first bytes of each file, PCL readback,
// PostScript). Target: at most 2000 ms on loopback. The peer is nc sending
// the same directory listing and uploads in one go, without waiting for
// each reply: "ratio" (ours over nc's) tells what asking one by one costs.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "pjl_inventory.h"
#include "printer_sim.h"
#include "sim_test_support.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFonts = 200;
constexpr char kAddress[] = "127.67.9.10";

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string FontName(int i) { return "Bench" + std::to_string(1000 + i); }

// The same requests as the library's listing, for nc.
std::string PeerRequests() {
  std::string text = "\x1B%-12345X@PJL\r\n@PJL FSDIRLIST NAME=\"0:\\pcl\\fonts\" ENTRY=1 COUNT=256\r\n";
  for (int i = 0; i < kFonts; ++i) {
    text += "@PJL FSUPLOAD NAME=\"0:\\pcl\\fonts\\" + FontName(i) + "\" OFFSET=0 SIZE=512\r\n";
  }
  return text + "@PJL EOJ\r\n\x1B%-12345X";
}

void BM_ListTwoHundredFontsOverPjl(benchmark::State& state) {
  printer_sim::Simulator simulator;
  printer_sim::PrinterConfig config;
  config.address = kAddress;
  simulator.AddPrinter(config);
  simulator.Start();
  for (int i = 0; i < kFonts; ++i) {
    simulator.RunJob(0, sim_test::PjlDownload('0', FontName(i), sim_test::PclSoftFont(FontName(i), i)));
  }
  in_addr address{};
  inet_pton(AF_INET, kAddress, &address);
  const glysnmp::PjlPrinter printer{ntohl(address.s_addr), 0, {simulator.RawPort(0), 5000}};
  TempDir scratch;
  const std::string requests = scratch.file("requests");
  sim_test::WriteFile(requests, PeerRequests());
  const std::string peer = "nc -N " + std::string(kAddress) + " " + std::to_string(simulator.RawPort(0)) + " < " +
                           requests + " > /dev/null";
  double ours = 0, theirs = 0;
  size_t listed = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    listed = glysnmp::ReadPjlFonts(printer).fonts.size();
    ours = MillisecondsSince(start);
    start = Clock::now();
    if (std::system(peer.c_str()) != 0) state.SkipWithError("nc failed");
    theirs = MillisecondsSince(start);
  }
  state.counters["ms"] = ours;
  state.counters["nc_ms"] = theirs;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
  state.counters["fonts"] = static_cast<double>(listed);
}
BENCHMARK(BM_ListTwoHundredFontsOverPjl)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
