#include "snmp/community_strings_dialog.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <cstring>
#include <optional>
#include <utility>

#include "snmp/community_strings.h"
#include "ui/single_byte_text.h"

using namespace community_strings;

CommunityStringsDialog::CommunityStringsDialog(PrinterRecord& printer, QWidget* parent)
    : TemplateDialog(kDialog, parent), printer_(printer) {
  // Several printers may be listed: the title says whose strings change.
  if (const auto title = ToSingleByte(windowTitle()))
    setWindowTitle(FromSingleByte(CommunityStringsTitle(*title, printer)));
  ShowOld(kOldRead, printer.readCommunity, sizeof printer.readCommunity);
  ShowOld(kOldWrite, printer.writeCommunity, sizeof printer.writeCommunity);
  ShowOld(kOldTrap, printer.trapCommunity, sizeof printer.trapCommunity);
  // The library keeps the PJL password; the record has no place for it, so
  // there is no old one to show, and an empty entry leaves it as it was.
  if (auto* password = ControlAs<QLineEdit>(kNewPjlPassword)) {
    password->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{1,10}"), password));
  }
  Bind(1, Notification::Clicked, [this] {
    NewCommunityStrings strings;
    // A text set without typing passes no validator: one that a community
    // string cannot hold keeps the dialog open at that edit, and nothing
    // is stored.
    for (auto [id, text] : {std::pair{kNewRead, &strings.read}, std::pair{kNewWrite, &strings.write},
                            std::pair{kNewTrap, &strings.trap}}) {
      if (!NewText(id, *text)) {
        if (QWidget* edit = Control(id)) edit->setFocus();
        return;
      }
    }
    if (!NewPjlPassword(strings.pjlPassword)) {
      if (QWidget* edit = Control(kNewPjlPassword)) edit->setFocus();
      return;
    }
    ApplyCommunityStrings(printer_, strings);
    accept();
  });
}

void CommunityStringsDialog::ShowOld(int controlId, const char* field, size_t size) {
  // Community strings are single-byte texts; the SNMP library may have
  // written the field, so its end is the field's end at the latest.
  SetControlText(controlId, FromSingleByte(std::string_view(field, strnlen(field, size))));
}

bool CommunityStringsDialog::NewPjlPassword(uint32_t& password) const {
  const auto* edit = ControlAs<QLineEdit>(kNewPjlPassword);
  if (!edit || edit->text().isEmpty()) return true;
  return ParsePjlPassword(edit->text().toStdString(), password);
}

bool CommunityStringsDialog::NewText(int controlId, std::string& text) const {
  const auto* edit = ControlAs<QLineEdit>(controlId);
  if (!edit) return true;
  const std::optional<std::string> bytes = ToSingleByte(edit->text());
  if (bytes) text = *bytes;
  return bytes.has_value();
}
