// The Delete Fonts dialog: dialog 146 from the resource library, showing
// the state of each font that DeleteFontsLogic's worker deletes.
//
// Every way of closing it goes through the logic's Close and Cancel rules
// (Enter and the close box are Close, Escape is Cancel), so the dialog ends only
// after its worker has.
#pragma once

#include "fonts/delete_fonts_logic.h"
#include "ui/template_dialog.h"

class QTreeWidget;

class DeleteFontsDialog final : public TemplateDialog, public DeleteFontsHost {
  Q_OBJECT
 public:
  DeleteFontsDialog(MessageBoxes& boxes, UiThread& uiThread, Clock& clock, PrinterRecord& printer,
                    std::vector<FontEntry> fonts, QWidget* parent = nullptr);

  DeleteFontsLogic& logic() { return logic_; }
  int deletedCount() const { return logic_.deletedCount(); }

  // DeleteFontsHost
  void StateChanged() override { ShowState(); }
  void Close(int result) override;

  void accept() override { logic_.OnClose(); }
  void reject() override { logic_.OnCancel(); }

 protected:
  void ShowState() override;
  // The close box is the Close button: during a run it asks before it stops.
  void closeEvent(QCloseEvent* event) override;

 private:
  QTreeWidget* Table() const;

  DeleteFontsLogic logic_;
};
