// Putting downloaded fonts on a virtual printer for the SNMP library's
// tests: jobs go to its LPD queue through rlpr, as they would from the
// program.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "printer_sim.h"
#include "sim_test_support.h"

// Sends `job` (written to `file` first) to the printer's queue "lp";
// rlpr's output when it failed, else empty.
inline std::string SendJob(const printer_sim::Simulator& simulator, size_t printer, const std::string& file,
                           const std::string& job) {
  sim_test::WriteFile(file, job);
  sim_test::CommandResult sent =
      sim_test::RunCommand("rlpr --no-bind --timeout=10 -H " + simulator.Config(printer).address + " --port=" +
                           std::to_string(simulator.LpdPort(printer)) + " -P lp " + file + " 2>&1");
  return sent.exitCode == 0 ? std::string() : sent.output + " ";
}

// The indexes of the printer's downloaded fonts once there are `count` of
// them (the printer applies a job after it received it), within 5 s.
inline std::vector<int32_t> WaitForDownloadedFonts(const printer_sim::Simulator& simulator, size_t printer,
                                                   size_t count) {
  std::vector<int32_t> downloaded;
  for (int wait = 0; wait < 100; ++wait) {
    downloaded.clear();
    for (const printer_sim::Font& font : simulator.Fonts(printer)) {
      if (font.persistence == printer_sim::kDownloaded) downloaded.push_back(font.index);
    }
    if (downloaded.size() >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return downloaded;
}
