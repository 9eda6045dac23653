// Printed output that belongs to no document window: a job asks for a
// printer, opens the document, runs the page loop and keeps the user
// informed through the progress dialog, whose Cancel ends the job after the
// page in progress. What the pages hold comes from a derived class.
//
// Thread rule: a job runs on the user-interface thread. Between pages it
// lets the waiting window messages through, so the progress dialog paints
// and its Cancel works; the windows it disabled get no input meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "fonts/print_device.h"

class Clock;
class MessageBoxes;
class PrintProgress;

// maxPage before the page count is known.
inline constexpr uint16_t kPageCountUnknown = 0xFFFF;

// The job's print settings, made by Run and handed to every step.
struct PrintInfo {
  // Chosen in the print dialog.
  std::unique_ptr<PrintDevice> ownedDevice;
  PrintDevice* device = nullptr;
  std::string deviceName;
  std::string portName;
  bool printToFile = false;
  std::string outputFile;  // empty when the print dialog named none
  uint16_t minPage = 1;
  uint16_t maxPage = kPageCountUnknown;
  uint16_t fromPage = 0;
  uint16_t toPage = 0;

  int currentPage = 1;  // counted from 1
  bool continuePrinting = true;
  PrintRect pageRect;  // the printable area, reset before every page
};

// The windows a job works with.
enum class JobWindow {
  Main,   // the program's main window
  Owner,  // the window that started the job and owns the progress dialog
};

class PrintJobWindows {
 public:
  virtual ~PrintJobWindows() = default;
  // The print dialog, opening with pages minPage to maxPage all chosen and
  // no choice of printing a selection. On OK it fills in the device, its
  // names, the pages and the print-to-file choice; false when cancelled or
  // when no device results.
  virtual bool ChoosePrinter(PrintInfo& info) = 0;
  // Asks where a print file goes; false when cancelled.
  virtual bool ChooseOutputFile(std::string& path) = 0;

  virtual bool IsEnabled(JobWindow window) = 0;
  virtual void SetEnabled(JobWindow window, bool enabled) = 0;

  // Shows the progress dialog over the owner, painted at once; it shows
  // `progress` until CloseProgress.
  virtual void OpenProgress(PrintProgress& progress) = 0;
  virtual void CloseProgress() = 0;
  // Handles the window messages that are waiting; false when the
  // application is quitting.
  virtual bool ProcessMessages() = 0;
};

enum class PrintOutcome {
  NotPrinted,  // cancelled in a dialog, or nothing to print
  Printed,
  Aborted,  // Cancel in the progress dialog, or the application quitting
  Failed,   // the device refused the document or a page
};

class PrintJob {
 public:
  PrintJob(PrintJobWindows& windows, MessageBoxes& boxes, Clock& clock);
  virtual ~PrintJob() = default;
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  // Handed to the printer and named in the progress dialog's title.
  std::string documentName = "Printing...";

  // The whole job, on a printer chosen in the print dialog.
  PrintOutcome Run();
  // The whole job on `device`, without the print dialog.
  PrintOutcome RunOn(PrintDevice& device, const std::string& deviceName, const std::string& outputFile);

 protected:
  // Before the job: whether to print. The base shows the print dialog
  // unless `skipDialog`; derived classes call it last.
  virtual bool Prepare(PrintInfo& info, bool skipDialog);
  // Once, when the device exists and before the document starts; false
  // prints nothing.
  virtual bool BeginPrinting(PrintDevice& device, PrintInfo& info);
  // Draws page info.currentPage.
  virtual void PrintPage(PrintDevice& device, PrintInfo& info);

  MessageBoxes& boxes() { return boxes_; }

 private:
  PrintOutcome Print(PrintInfo& info);
  PrintOutcome PrintPages(PrintDevice& device, PrintInfo& info, PrintProgress& progress);
  static void PrepareDC(PrintInfo& info);
  bool PrintAbortCheck(const PrintProgress& progress);

  PrintJobWindows& windows_;
  MessageBoxes& boxes_;
  Clock& clock_;
};
