// The Printer Font List: dialog 130 from the resource library, showing what
// FontListLogic says and forwarding its controls' events to it.
#pragma once

#include <functional>

#include "fonts/font_list_logic.h"
#include "fonts/print_job_dialog.h"
#include "ui/template_dialog.h"

class Clock;
class QStatusBar;
class QTreeWidget;
class UiThread;

class FontListDialog : public TemplateDialog, public FontListHost {
  Q_OBJECT
 public:
  // Runs the Resource Manager for the one printer shown, above `parent`.
  using ResourceManagerOpener = std::function<void(PrinterRecord& printer, QWidget* parent)>;

  // `printers` are not owned and outlive the dialog; at least one. Without
  // an opener, Add Font only re-reads the list.
  FontListDialog(MessageBoxes& boxes, UiThread& uiThread, Clock& clock,
                 std::vector<PrinterRecord*> printers, QWidget* parent = nullptr,
                 ResourceManagerOpener openResourceManager = {});

  FontListLogic& logic() { return logic_; }
  // The print dialog Print Report shows; the system's by default.
  void SetPrintDialog(PrintDialogRunner runPrintDialog) { runPrintDialog_ = std::move(runPrintDialog); }
  QStatusBar* statusBar() const { return statusBar_; }

  // FontListHost
  void StateChanged() override { ShowState(); }
  void OpenResourceManager(PrinterRecord& printer) override {
    if (openResourceManager_) openResourceManager_(printer, this);
  }
  int RunDeleteFonts(PrinterRecord& printer, const std::vector<FontEntry>& fonts) override;

 protected:
  void ShowState() override;

 private:
  QTreeWidget* Table() const;
  void ShowRows();
  std::vector<int> SelectedRows() const;
  // Prints the list as shown: this printer, this view, these widths.
  void PrintReport();

  MessageBoxes& boxes_;
  UiThread& uiThread_;
  Clock& clock_;
  ResourceManagerOpener openResourceManager_;
  PrintDialogRunner runPrintDialog_ = RunSystemPrintDialog;
  FontListLogic logic_;
  QStatusBar* statusBar_ = nullptr;
  unsigned shownRevision_ = 0;
};
