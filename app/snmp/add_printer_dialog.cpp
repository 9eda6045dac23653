#include "snmp/add_printer_dialog.h"

#include "snmp/add_printer_ids.h"
#include "ui/ip_address_edit.h"

using namespace add_printer;

AddPrinterDialog::AddPrinterDialog(PrinterListOwner& owner, MessageBoxes& boxes, QWidget* parent)
    : TemplateDialog(kDialog, parent), logic_(owner, boxes) {
  if (const auto address = logic_.InitialAddress())
    if (auto* control = ControlAs<IpAddressEdit>(kAddressControl)) control->SetAddress(*address);
  Bind(kAddPrinterButton, Notification::Clicked,
       [this] { Finish(logic_.AddPrinterByAddress(ValueOf(kAddressControl))); });
  Bind(kFindAnnouncedButton, Notification::Clicked, [this] { Finish(logic_.FindAnnouncedPrinters()); });
  Bind(kGetPrintersButton, Notification::Clicked, [this] {
    Finish(logic_.GetSubnetPrinters(ValueOf(kSubnetAddressControl), ValueOf(kSubnetMaskControl)));
  });
}

IpAddressValue AddPrinterDialog::ValueOf(int controlId) const {
  const auto* control = ControlAs<IpAddressEdit>(controlId);
  return control ? control->Value() : IpAddressValue{};
}

void AddPrinterDialog::Finish(AddPrinterLogic::Outcome outcome) {
  if (outcome == AddPrinterLogic::Outcome::Close) accept();
}
