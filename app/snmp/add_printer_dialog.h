// "Add Printer Options" (dialog 140), over AddPrinterLogic.
#pragma once

#include "snmp/add_printer.h"
#include "ui/template_dialog.h"

class AddPrinterDialog final : public TemplateDialog {
  Q_OBJECT
 public:
  AddPrinterDialog(PrinterListOwner& owner, MessageBoxes& boxes, QWidget* parent);

 private:
  IpAddressValue ValueOf(int controlId) const;
  void Finish(AddPrinterLogic::Outcome outcome);

  AddPrinterLogic logic_;
};
