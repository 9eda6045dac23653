// Two hundred printers in one process: quick to start, and every one
// answers net-snmp's snmpget.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>

#include "printer_sim.h"
#include "sim_test_support.h"
#include "temp_dir.h"

using namespace printer_sim;

namespace {

TEST(ManyPrintersTest, TwoHundredPrintersStartQuicklyAndAllAnswer) {
  constexpr int kPrinters = 200;
  Simulator simulator;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kPrinters; ++i) {
    PrinterConfig config;
    config.address = "127.0.0." + std::to_string(10 + i);
    config.name = "VP" + std::to_string(i);
    std::string error;
    ASSERT_TRUE(simulator.AddPrinter(config, &error)) << error;
  }
  simulator.Start();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

  // Many queries at a time, which the event loop serves side by side; the
  // generous time-out is for a loaded machine.
  std::string targets;
  for (size_t i = 0; i < kPrinters; ++i) targets += sim_test::SnmpTarget(simulator, i) + "\n";
  const TempDir scratchDir;
  const std::string& scratch = scratchDir.path();
  sim_test::WriteFile(scratch + "/targets", targets);
  std::istringstream answers(
      sim_test::RunCommand("xargs -P 25 -I TARGET env MIBS= snmpget -v2c -c vorpal -t 5 -r 2 -Oqv TARGET "
                           ".1.3.6.1.2.1.1.5.0 < " + scratch + "/targets")
          .output);
  std::set<std::string> names;
  for (std::string line; std::getline(answers, line);) names.insert(line);
  ASSERT_EQ(names.size(), static_cast<size_t>(kPrinters));
  EXPECT_EQ(names.count("\"VP0\""), 1u);
  EXPECT_EQ(names.count("\"VP199\""), 1u);
}

}  // namespace
