#include "snmp/community_strings_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <string.h>

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
    setWindowTitle(ShownFromSingleByte(PrinterDialogTitle(*title, printer)));
  ShowOld(kOldRead, printer.readCommunity, sizeof printer.readCommunity);
  ShowOld(kOldWrite, printer.writeCommunity, sizeof printer.writeCommunity);
  ShowOld(kOldTrap, printer.trapCommunity, sizeof printer.trapCommunity);
  // The library keeps the PJL password; the record has no place for it, so
  // there is no old one to show, and an empty entry leaves it as it was.
  if (auto* password = ControlAs<QLineEdit>(kNewPjlPassword)) {
    password->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{1,10}"), password));
  }
  ShowSnmpChoices();
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
    // SNMP settings that are not complete, or that the library refuses,
    // keep the dialog open at the first entry to see to; nothing changes.
    const std::optional<int> problem = NewSnmpSecurity(strings.security);
    if (problem || ApplyCommunityStrings(printer_, strings) != kSnmpOk) {
      if (QWidget* edit = Control(problem.value_or(kV3User))) edit->setFocus();
      return;
    }
    accept();
  });
}

void CommunityStringsDialog::ShowSnmpChoices() {
  auto fill = [this](int controlId, const auto& choices) {
    if (auto* combo = ControlAs<QComboBox>(controlId)) {
      for (const SnmpChoice& choice : choices) combo->addItem(QString::fromLatin1(choice.text));
    }
  };
  fill(kSnmpVersion, kVersions);
  fill(kV3Level, kLevels);
  fill(kV3AuthProtocol, kAuthProtocols);
  fill(kV3PrivProtocol, kPrivProtocols);
  for (int id : {kV3AuthPassphrase, kV3PrivPassphrase}) {
    if (auto* edit = ControlAs<QLineEdit>(id)) edit->setEchoMode(QLineEdit::Password);
  }
  // The v3 rows count only for v3.
  auto enableV3 = [this] {
    const auto* version = ControlAs<QComboBox>(kSnmpVersion);
    const bool v3 = version && version->currentIndex() >= 0 &&
                    kVersions[static_cast<size_t>(version->currentIndex())].value == kSnmpVersion3;
    for (int id : {kV3User, kV3Level, kV3AuthProtocol, kV3AuthPassphrase, kV3PrivProtocol, kV3PrivPassphrase}) {
      if (QWidget* control = Control(id)) control->setEnabled(v3);
    }
  };
  if (auto* version = ControlAs<QComboBox>(kSnmpVersion)) {
    connect(version, &QComboBox::currentIndexChanged, this, enableV3);
  }
  enableV3();
}

std::optional<int> CommunityStringsDialog::NewSnmpSecurity(std::optional<SnmpSecurityChoice>& security) const {
  auto index = [this](int controlId) {
    const auto* combo = ControlAs<QComboBox>(controlId);
    return combo && combo->currentIndex() > 0 ? static_cast<size_t>(combo->currentIndex()) : size_t{0};
  };
  auto text = [this](int controlId) {
    const auto* edit = ControlAs<QLineEdit>(controlId);
    const std::optional<std::string> bytes = edit ? ToSingleByte(edit->text()) : std::string();
    return bytes.value_or(std::string());
  };
  SnmpSecurityEntry entry;
  entry.version = index(kSnmpVersion);
  entry.user = text(kV3User);
  entry.level = index(kV3Level);
  entry.authProtocol = index(kV3AuthProtocol);
  entry.authPassphrase = text(kV3AuthPassphrase);
  entry.privProtocol = index(kV3PrivProtocol);
  entry.privPassphrase = text(kV3PrivPassphrase);
  const SnmpEntryProblem problem = ChooseSnmpSecurity(entry, security);
  explicit_bzero(entry.authPassphrase.data(), entry.authPassphrase.size());
  explicit_bzero(entry.privPassphrase.data(), entry.privPassphrase.size());
  switch (problem) {
    case SnmpEntryProblem::kNone: return std::nullopt;
    case SnmpEntryProblem::kUser: return kV3User;
    case SnmpEntryProblem::kAuthPassphrase: return kV3AuthPassphrase;
    case SnmpEntryProblem::kPrivPassphrase: return kV3PrivPassphrase;
  }
  return kV3User;
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
