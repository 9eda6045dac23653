// "Changing Printer Community Strings" (dialog 145): shows the printer's
// three community strings and, on OK, applies the new ones to the record
// and hands a PJL password and the printer's SNMP version and SNMPv3
// settings to the SNMP library. The passphrase entries show no text, and
// the passphrases they held are wiped once handed over.
#pragma once

#include <optional>

#include "printers/printer_record.h"
#include "snmp/snmp_security_choice.h"
#include "ui/template_dialog.h"

class CommunityStringsDialog final : public TemplateDialog {
  Q_OBJECT
 public:
  CommunityStringsDialog(PrinterRecord& printer, QWidget* parent);

 private:
  void ShowOld(int controlId, const char* field, size_t size);
  // The edit's text as the record stores it; false when it holds a
  // character a single-byte text cannot.
  bool NewText(int controlId, std::string& text) const;

  // The typed PJL password into `password`; false when it is not one.
  bool NewPjlPassword(uint32_t& password) const;

  void ShowSnmpChoices();
  // The SNMP rows into `security` (unset for "Unchanged"); the id of the
  // entry that is missing or too short, if any.
  std::optional<int> NewSnmpSecurity(std::optional<SnmpSecurityChoice>& security) const;

  PrinterRecord& printer_;
};
