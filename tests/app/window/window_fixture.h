// A main window's logic over the fakes and the SNMP double, with helpers to
// list printers the way the library reports them.
#pragma once

#include <fstream>
#include <memory>

#include "shell/main_window_logic.h"
#include "snmp/discovery.h"
#include "snmp_double.h"
#include "temp_dir.h"
#include "window_fakes.h"

inline uint32_t Ip(int a, int b, int c, int d) {
  return (uint32_t(a) << 24) | (uint32_t(b) << 16) | (uint32_t(c) << 8) | uint32_t(d);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltResources();
    snmp_double::Reset();
    logic = std::make_unique<MainWindowLogic>(
        host, boxes, ui, [this](const char* address, JobPort, const JobFile& jobFile, const char* hostName, int job) {
          // Called on the job's own thread, one job at a time.
          submissions.push_back({address, jobFile.path(), hostName, job});
          if (onSubmit) onSubmit();
          return submitResult;
        });
  }
  void TearDown() override { snmp_double::Reset(); }

  // Writes a profile file with the given model sections (each a block of
  // key=value lines) and starts the window with it.
  void StartWithProfiles(const std::vector<std::pair<std::string, std::string>>& models) {
    profilePath = scratch.file("QPntStrPrfl.ini");
    std::ofstream ini(profilePath);
    // A declared number above the models written: reading ends where the
    // sections do.
    ini << "[NumberOfPrinters]\nnumber=" << models.size() + 3 << "\n[Printers]\n";
    for (const auto& [name, keys] : models) ini << "[" << name << "]\n" << keys << "\n";
    ini.close();
    logic->Initialize(profilePath.c_str());
  }
  void StartWithoutProfiles() { logic->Initialize("/nonexistent/QPntStrPrfl.ini"); }

  // A printer reporting itself through the library, with the storage
  // options the library answers for it.
  void Report(uint32_t address, const char* name, uint32_t storage = kStorageNone,
              const char* systemId = "1.3.6.1.4.1.32473.9", const char* description = "Laser printer") {
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(address, systemId, name, description);
    device.storageOptions = storage;
    snmp_double::AddDevice(device);
    ASSERT_TRUE(snmp_double::ReportPrinter(device.info));
  }
  int RowOf(uint32_t address) const {
    for (int i = 0; i < logic->printers().count(); ++i)
      if (logic->printers().at(i)->address == address) return i;
    return -1;
  }

  FakeMainWindowHost host;
  ScriptedBoxes boxes;
  FakeUiThread ui;
  std::vector<LprSubmission> submissions;
  std::function<void()> onSubmit;
  int submitResult = 0;
  std::unique_ptr<MainWindowLogic> logic;
  TempDir scratch;  // this test's own: tests run side by side
  std::string profilePath;
};
