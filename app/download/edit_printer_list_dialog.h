// The Edit Printer List dialog (136): every printer the Resource Manager
// was opened with, checked when it is one of the printers worked on. Apply
// and OK hand the checked ones to the Resource Manager; the main window's
// list and checks are never touched.
#pragma once

#include "ui/template_dialog.h"

class ResourceManagerLogic;

class EditPrinterListDialog final : public TemplateDialog {
  Q_OBJECT
 public:
  EditPrinterListDialog(ResourceManagerLogic& resourceManager, QWidget* parent = nullptr);

 private:
  void ApplyPrinterSelection();

  ResourceManagerLogic& resourceManager_;
};
