// The windows of a print job on Qt: the system's print dialog (printers of
// the print service, or a PDF file), the print file prompt, the progress
// dialog, and the job's owner and main window kept from input meanwhile.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "fonts/print_job.h"

class QPrinter;
class PrintProgressDialog;

// Shows a print dialog for `printer` with pages `minPage` to `maxPage` all
// chosen; true when the user chose to print.
using PrintDialogRunner = std::function<bool(QPrinter& printer, int minPage, int maxPage, QWidget* parent)>;
bool RunSystemPrintDialog(QPrinter& printer, int minPage, int maxPage, QWidget* parent);

class PrintJobDialogs final : public PrintJobWindows {
 public:
  // `owner` started the job; the main window is the top of its parents.
  explicit PrintJobDialogs(QWidget* owner, PrintDialogRunner runPrintDialog = RunSystemPrintDialog);
  ~PrintJobDialogs() override;

  bool ChoosePrinter(PrintInfo& info) override;
  bool ChooseOutputFile(std::string& path) override;
  bool IsEnabled(JobWindow window) override;
  void SetEnabled(JobWindow window, bool enabled) override;
  void OpenProgress(PrintProgress& progress) override;
  void CloseProgress() override;
  bool ProcessMessages() override;

 private:
  QWidget* Window(JobWindow window) const;

  QPointer<QWidget> owner_;
  QPointer<QWidget> main_;
  PrintDialogRunner runPrintDialog_;
  std::unique_ptr<PrintProgressDialog> progress_;
};
