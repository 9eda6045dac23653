// "Add Printer Options" (dialog 140), over AddPrinterLogic.
//
// While the library is asked the dialog shows the busy cursor and keeps
// answering: its entries and buttons wait, and Cancel stops the waiting.
// Enter adds the printer from the address field and searches from the
// subnet fields.
#pragma once

#include "snmp/add_printer.h"
#include "ui/template_dialog.h"

class AddPrinterDialog final : public TemplateDialog {
  Q_OBJECT
 public:
  // `findOnSubnet` starts with the focus in the subnet address.
  AddPrinterDialog(PrinterListOwner& owner, MessageBoxes& boxes, QWidget* parent, bool findOnSubnet = false);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  IpAddressValue ValueOf(int controlId) const;
  bool HasFocusIn(int controlId) const;
  void Started(AddPrinterLogic::Outcome outcome);
  void Finished(AddPrinterLogic::Outcome outcome);
  void SetBusy(bool busy);

  AddPrinterLogic logic_;
};
