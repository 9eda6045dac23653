#include "snmp/add_printer_dialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include "snmp/add_printer_ids.h"
#include "ui/ip_address_edit.h"

using namespace add_printer;

AddPrinterDialog::AddPrinterDialog(PrinterListOwner& owner, MessageBoxes& boxes, QWidget* parent, bool findOnSubnet)
    : TemplateDialog(kDialog, parent), logic_(owner, boxes, [this](AddPrinterLogic::Outcome outcome) { Finished(outcome); }) {
  if (const auto address = logic_.InitialAddress())
    if (auto* control = ControlAs<IpAddressEdit>(kAddressControl)) control->SetAddress(*address);
  if (QWidget* start = Control(findOnSubnet ? kSubnetAddressControl : kAddressControl)) start->setFocus();
  Bind(kAddPrinterButton, Notification::Clicked,
       [this] { Started(logic_.AddPrinterByAddress(ValueOf(kAddressControl))); });
  Bind(kFindAnnouncedButton, Notification::Clicked, [this] { Started(logic_.FindAnnouncedPrinters()); });
  Bind(kGetPrintersButton, Notification::Clicked, [this] {
    Started(logic_.GetSubnetPrinters(ValueOf(kSubnetAddressControl), ValueOf(kSubnetMaskControl)));
  });
  // Cancel, Escape and the close box stop a wait first, and close after.
  Bind(kCancelButton, Notification::Clicked, [this] {
    if (!logic_.busy()) {
      QDialog::reject();
      return;
    }
    logic_.Cancel();
    SetBusy(false);
  });
}

IpAddressValue AddPrinterDialog::ValueOf(int controlId) const {
  const auto* control = ControlAs<IpAddressEdit>(controlId);
  return control ? control->Value() : IpAddressValue{};
}

bool AddPrinterDialog::HasFocusIn(int controlId) const {
  const QWidget* control = Control(controlId);
  return control && control->isAncestorOf(focusWidget());
}

void AddPrinterDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (HasFocusIn(kSubnetAddressControl) || HasFocusIn(kSubnetMaskControl))) {
    if (auto* search = ControlAs<QPushButton>(kGetPrintersButton); search && search->isEnabled()) search->click();
    return;
  }
  if (enter && HasFocusIn(kAddressControl)) {
    if (auto* add = ControlAs<QPushButton>(kAddPrinterButton); add && add->isEnabled()) add->click();
    return;
  }
  TemplateDialog::keyPressEvent(event);
}

void AddPrinterDialog::Started(AddPrinterLogic::Outcome outcome) {
  // Any other outcome has been dealt with: a refusal keeps the dialog as it
  // is, and an answer already given went through Finished.
  if (outcome == AddPrinterLogic::Outcome::Busy) SetBusy(true);
}

void AddPrinterDialog::Finished(AddPrinterLogic::Outcome outcome) {
  SetBusy(false);
  if (outcome == AddPrinterLogic::Outcome::Close) accept();
}

void AddPrinterDialog::SetBusy(bool busy) {
  if (busy)
    setCursor(Qt::BusyCursor);
  else
    unsetCursor();
  for (int id : {kAddressControl, kAddPrinterButton, kSubnetAddressControl, kSubnetMaskControl, kGetPrintersButton,
                 kFindAnnouncedButton})
    EnableControl(id, !busy);
}
