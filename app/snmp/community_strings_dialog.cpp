#include "snmp/community_strings_dialog.h"

#include <QLineEdit>
#include <cstring>

#include "snmp/community_strings.h"

using namespace community_strings;

CommunityStringsDialog::CommunityStringsDialog(PrinterRecord& printer, QWidget* parent)
    : TemplateDialog(kDialog, parent), printer_(printer) {
  ShowOld(kOldRead, printer.readCommunity, sizeof printer.readCommunity);
  ShowOld(kOldWrite, printer.writeCommunity, sizeof printer.writeCommunity);
  ShowOld(kOldTrap, printer.trapCommunity, sizeof printer.trapCommunity);
  Bind(1, Notification::Clicked, [this] {
    ApplyCommunityStrings(printer_, {NewText(kNewRead), NewText(kNewWrite), NewText(kNewTrap)});
    accept();
  });
}

void CommunityStringsDialog::ShowOld(int controlId, const char* field, size_t size) {
  // Community strings are single-byte texts; the SNMP library may have
  // written the field, so its end is the field's end at the latest.
  SetControlText(controlId, QString::fromLatin1(field, static_cast<qsizetype>(strnlen(field, size))));
}

std::string CommunityStringsDialog::NewText(int controlId) const {
  const auto* edit = ControlAs<QLineEdit>(controlId);
  return edit ? edit->text().toLatin1().toStdString() : std::string();
}
