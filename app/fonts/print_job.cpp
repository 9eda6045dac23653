#include "fonts/print_job.h"

#include <algorithm>
#include <cstdlib>

#include "fonts/format_text.h"
#include "fonts/print_progress.h"
#include "printers/clock.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"

using namespace print_progress;

namespace {

std::string LocationPhrase(int stringId, const std::string& where) {
  return FormatText(LoadResourceString(stringId), where.c_str());
}

PrintRect PrintableArea(PrintDevice& device) {
  return {0, 0, device.HorizontalResolution(), device.VerticalResolution()};
}

// Puts the windows back as they were before the job, whatever the job did
// to them: a main window that a modal dialog had disabled stays disabled.
class DisabledWindows {
 public:
  explicit DisabledWindows(PrintJobWindows& windows)
      : windows_(windows),
        mainWasEnabled_(windows.IsEnabled(JobWindow::Main)),
        ownerWasEnabled_(windows.IsEnabled(JobWindow::Owner)) {
    windows_.SetEnabled(JobWindow::Main, false);
    windows_.SetEnabled(JobWindow::Owner, false);
  }
  ~DisabledWindows() {
    windows_.SetEnabled(JobWindow::Owner, ownerWasEnabled_);
    windows_.SetEnabled(JobWindow::Main, mainWasEnabled_);
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;

 private:
  PrintJobWindows& windows_;
  bool mainWasEnabled_;
  bool ownerWasEnabled_;
};

}  // namespace

PrintJob::PrintJob(PrintJobWindows& windows, MessageBoxes& boxes, Clock& clock)
    : windows_(windows), boxes_(boxes), clock_(clock) {}

PrintOutcome PrintJob::Run() {
  PrintInfo info;
  if (!Prepare(info, false) || !info.device) return PrintOutcome::NotPrinted;
  if (info.printToFile && info.outputFile.empty() && !windows_.ChooseOutputFile(info.outputFile))
    return PrintOutcome::NotPrinted;
  return Print(info);
}

PrintOutcome PrintJob::RunOn(PrintDevice& device, const std::string& deviceName, const std::string& outputFile) {
  PrintInfo info;
  info.device = &device;
  info.deviceName = deviceName;
  info.portName = deviceName;
  info.printToFile = !outputFile.empty();
  info.outputFile = outputFile;
  if (!Prepare(info, true)) return PrintOutcome::NotPrinted;
  return Print(info);
}

bool PrintJob::Prepare(PrintInfo& info, bool skipDialog) {
  // All pages, also without the dialog: a page range left at 0 would be
  // clamped to the first page alone.
  if (info.maxPage < info.minPage) info.maxPage = info.minPage;
  info.fromPage = info.minPage;
  info.toPage = info.maxPage;
  if (skipDialog) return true;
  return windows_.ChoosePrinter(info) && info.device;
}

bool PrintJob::BeginPrinting(PrintDevice&, PrintInfo&) { return true; }

void PrintJob::PrintPage(PrintDevice&, PrintInfo&) {}

void PrintJob::PrepareDC(PrintInfo& info) {
  // A job that never learns its page count prints one page.
  info.continuePrinting = info.maxPage != kPageCountUnknown || info.currentPage == 1;
}

bool PrintJob::PrintAbortCheck(const PrintProgress& progress) {
  if (!progress.cancelRequested() && !windows_.ProcessMessages()) return false;
  return !progress.cancelRequested();
}

PrintOutcome PrintJob::Print(PrintInfo& info) {
  PrintDevice& device = *info.device;
  const std::string location = info.printToFile ? LocationPhrase(kToFileText, info.outputFile)
                                                 : LocationPhrase(kOnPortText, info.portName);
  info.pageRect = PrintableArea(device);
  if (!BeginPrinting(device, info)) return PrintOutcome::NotPrinted;

  // The job's windows take no input until it has ended, so that nothing
  // changes what is being printed or starts a second job meanwhile.
  const DisabledWindows disabled(windows_);
  PrintProgress progress(documentName, info.deviceName, location);
  windows_.OpenProgress(progress);
  PrintOutcome outcome = PrintOutcome::Failed;
  if (device.StartDoc(documentName, info.printToFile ? info.outputFile : std::string()))
    outcome = PrintPages(device, info, progress);
  else
    boxes_.Show(kJobNotStarted, MB_OK | MB_ICONEXCLAMATION);
  windows_.CloseProgress();
  return outcome;
}

PrintOutcome PrintJob::PrintPages(PrintDevice& device, PrintInfo& info, PrintProgress& progress) {
  info.toPage = std::clamp(info.toPage, info.minPage, info.maxPage);
  info.fromPage = std::clamp(info.fromPage, info.minPage, info.maxPage);
  const int step = info.toPage >= info.fromPage ? 1 : -1;
  const int end = info.toPage == kPageCountUnknown ? info.toPage : info.toPage + step;
  const int pages = std::abs(end - info.fromPage);

  const uint64_t start = clock_.NowMs();
  progress.SetRange(pages);
  unsigned averagePageMs = 0;
  std::string timeLeft;
  info.currentPage = info.fromPage;
  if (info.currentPage == end) return device.EndDoc() ? PrintOutcome::Printed : PrintOutcome::Failed;

  for (int k = 1;; ++k) {
    progress.StartingPage(k, pages);
    PrepareDC(info);
    if (!info.continuePrinting) break;
    // The page starting counts as still to do.
    timeLeft = PrintTimeLeftText(static_cast<unsigned>(pages - k + 1), averagePageMs, pages, timeLeft);
    progress.ShowPageText(k, pages, timeLeft);

    info.pageRect = PrintableArea(device);
    if (!device.StartPage()) {
      device.AbortDoc();
      return PrintOutcome::Failed;
    }
    PrepareDC(info);
    device.SaveState();
    PrintPage(device, info);
    const bool pageEnded = device.EndPage();
    device.RestoreState();
    if (!pageEnded) {
      device.AbortDoc();
      return PrintOutcome::Failed;
    }
    if (!PrintAbortCheck(progress)) {
      device.AbortDoc();
      return PrintOutcome::Aborted;
    }
    averagePageMs = static_cast<unsigned>((clock_.NowMs() - start) / static_cast<unsigned>(k));
    info.currentPage += step;
    if (info.currentPage == end) break;
  }
  return device.EndDoc() ? PrintOutcome::Printed : PrintOutcome::Failed;
}
