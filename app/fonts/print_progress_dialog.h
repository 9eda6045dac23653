// The print progress dialog (135): shows what its PrintProgress says while
// a job prints, plays its animation, and forwards Cancel.
#pragma once

#include "fonts/print_progress.h"
#include "ui/template_dialog.h"

class PrintProgressDialog final : public TemplateDialog {
  Q_OBJECT
 public:
  // `progress` outlives the dialog. Centred over `owner` when there is one.
  PrintProgressDialog(PrintProgress& progress, QWidget* owner);
  ~PrintProgressDialog() override;

 protected:
  void ShowState() override;

 private:
  PrintProgress& progress_;
};
