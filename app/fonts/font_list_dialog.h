// The Printer Font List: dialog 130 from the resource library, showing what
// FontListLogic says and forwarding its controls' events to it.
#pragma once

#include "fonts/font_list_logic.h"
#include "ui/template_dialog.h"

class Clock;
class QStatusBar;
class QTreeWidget;
class UiThread;

class FontListDialog : public TemplateDialog, public FontListHost {
  Q_OBJECT
 public:
  // `printers` are not owned and outlive the dialog; at least one.
  FontListDialog(MessageBoxes& boxes, UiThread& uiThread, Clock& clock,
                 std::vector<PrinterRecord*> printers, QWidget* parent = nullptr);

  FontListLogic& logic() { return logic_; }
  QStatusBar* statusBar() const { return statusBar_; }

  // FontListHost
  void StateChanged() override { ShowState(); }
  // The Resource Manager is a dialog of its own; until it is part of the
  // program Add Font opens nothing here and only re-reads the list.
  void OpenResourceManager(PrinterRecord&) override {}
  int RunDeleteFonts(PrinterRecord& printer, const std::vector<FontEntry>& fonts) override;

 protected:
  void ShowState() override;

 private:
  QTreeWidget* Table() const;
  void ShowRows();
  std::vector<int> SelectedRows() const;

  MessageBoxes& boxes_;
  UiThread& uiThread_;
  Clock& clock_;
  FontListLogic logic_;
  QStatusBar* statusBar_ = nullptr;
  unsigned shownRevision_ = 0;
};
