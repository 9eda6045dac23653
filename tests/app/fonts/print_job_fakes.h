// The windows of a print job, played by the test: a print dialog that hands
// over a recording device (or is cancelled), a print file prompt, the two
// windows' enabled states and the progress dialog.
#pragma once

#include <optional>
#include <string>

#include "fonts/print_job.h"
#include "fonts/print_progress.h"
#include "recording_print_device.h"

class FakeJobWindows final : public PrintJobWindows {
 public:
  bool ChoosePrinter(PrintInfo& info) override {
    ++printDialogs;
    dialogRange = {info.minPage, info.maxPage};
    if (!printerChosen) return false;
    info.device = &device;
    info.deviceName = "Office Laser";
    info.portName = "lp0";
    info.printToFile = printToFile;
    info.outputFile = dialogFile;
    return true;
  }
  bool ChooseOutputFile(std::string& path) override {
    ++filePrompts;
    if (!promptFile) return false;
    path = *promptFile;
    return true;
  }
  bool IsEnabled(JobWindow window) override { return window == JobWindow::Main ? mainEnabled : ownerEnabled; }
  void SetEnabled(JobWindow window, bool enabled) override {
    (window == JobWindow::Main ? mainEnabled : ownerEnabled) = enabled;
  }
  void OpenProgress(PrintProgress& shown) override {
    progress = &shown;
    ++progressOpened;
  }
  void CloseProgress() override {
    progress = nullptr;
    ++progressClosed;
  }
  bool ProcessMessages() override { return !quitting; }

  RecordingPrintDevice device;
  bool printerChosen = true;
  bool printToFile = false;
  std::string dialogFile;
  std::optional<std::string> promptFile;
  bool mainEnabled = true;
  bool ownerEnabled = true;
  bool quitting = false;

  int printDialogs = 0;
  std::pair<int, int> dialogRange{0, 0};
  int filePrompts = 0;
  PrintProgress* progress = nullptr;  // while the progress dialog is open
  int progressOpened = 0;
  int progressClosed = 0;
};
