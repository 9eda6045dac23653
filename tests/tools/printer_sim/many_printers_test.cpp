// Two hundred printers in one process: quick to start, and every one
// answers net-snmp's snmpget.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>

#include "printer_sim.h"
#include "sim_test_support.h"

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

  // All the queries at once: the event loop serves them side by side.
  std::string script;
  for (size_t i = 0; i < kPrinters; ++i) {
    script += sim_test::SnmpTool("snmpget") + "-Oqv " + sim_test::SnmpTarget(simulator, i) +
              " .1.3.6.1.2.1.1.5.0 & ";
  }
  std::istringstream answers(sim_test::RunCommand(script + "wait").output);
  std::set<std::string> names;
  for (std::string line; std::getline(answers, line);) names.insert(line);
  ASSERT_EQ(names.size(), static_cast<size_t>(kPrinters));
  EXPECT_EQ(names.count("\"VP0\""), 1u);
  EXPECT_EQ(names.count("\"VP199\""), 1u);
}

}  // namespace
