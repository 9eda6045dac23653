// The user-interface thread and the font deletion worker calling the
// library at the same time, as the program does while a deletion runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "glysnmp_test_support.h"
#include "virtual_printer_support.h"

namespace {

TEST(ThreadedCalls, DeletionWorkerAndUserInterfaceThreadCallAtOnce) {
  TempDir scratch;
  printer_sim::Simulator simulator;
  printer_sim::PrinterConfig config;
  config.address = "127.66.0.10";
  config.snmpPort = FreeUdpPort({config.address});
  config.deletionMs = 30;
  ASSERT_TRUE(simulator.AddPrinter(config));
  simulator.Start();
  AgentTest settings(config.snmpPort);
  for (int i = 0; i < 3; ++i) {
    std::string name = "Drop" + std::to_string(i);
    ASSERT_EQ(SendJob(simulator, 0, scratch.file(name), sim_test::PjlDownload('0', name, sim_test::PclSoftFont(name, 100 + i))),
              "");
  }
  std::vector<int32_t> downloaded = WaitForDownloadedFonts(simulator, 0, 3);
  ASSERT_EQ(downloaded.size(), 3u);

  PrinterRecord shown = RecordFor(config.address);
  PrinterRecord copy = shown;
  std::atomic<int> deleted{0};
  std::thread worker([&] {
    DeleteContext deletion{&copy, 0};
    for (int32_t index : downloaded) {
      if (SnmpDeleteFontStart(&deletion, index) != 0) break;
      uint32_t pending = 1;
      for (int poll = 0; poll < 200 && pending != 0; ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        SnmpDeleteFontPoll(&deletion, index, &pending);
      }
      if (pending == 0) ++deleted;
    }
    SnmpDeleteFontEnd(&deletion);
  });
  SnmpContext context{};
  SnmpInitContext(&context, nullptr, nullptr, 0);
  int reads = 0;
  while (deleted < 3 && reads < 500) {
    FontList fonts{};
    EXPECT_EQ(SnmpGetFontList(&shown, &fonts), 0);
    SnmpFreeFontList(&fonts);
    EXPECT_EQ(SnmpGetPrinterOptions(&shown), 0);
    DeviceInfo device{};
    SnmpAddPrinter(&context, AddressOf(config.address), &device);
    ++reads;
  }
  worker.join();
  EXPECT_EQ(deleted, 3);
  EXPECT_GT(reads, 1);
  EXPECT_EQ(simulator.Fonts(0).size(), 8u);
}

}  // namespace
