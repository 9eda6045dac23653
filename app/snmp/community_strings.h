// The community strings of one listed printer, changed in place by the
// "Changing Printer Community Strings" dialog (145). Only the program's own
// record changes; nothing is sent to the printer.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "printers/printer_record.h"
#include "snmp/snmp_security_choice.h"

namespace community_strings {

enum Resource : int { kDialog = 145 };

enum Control : int {
  kOldRead = 1087,
  kOldWrite = 1088,
  kOldTrap = 1089,
  kNewRead = 1084,
  kNewWrite = 1085,
  kNewTrap = 1086,
  kNewPjlPassword = 1090,
};

}  // namespace community_strings

struct NewCommunityStrings {
  std::string read;
  std::string write;
  std::string trap;
  // The PJL password of the printer's file system (0: none), for printers
  // whose fonts are read over PJL; it is the library's, not the record's.
  uint32_t pjlPassword = 0;
  // The SNMP version and v3 settings, also the library's; unset leaves
  // those it holds for the printer as they are.
  std::optional<SnmpSecurityChoice> security;
};

// OK: each non-empty new string replaces that community string of
// `printer`, cut to the 63 characters the record holds; empty ones leave
// theirs as it was. A PJL password other than 0 and the SNMP security, when
// given, go to the SNMP library, which keeps them for the printer's address;
// the result is the library's for the security (0 when none was given).
int32_t ApplyCommunityStrings(PrinterRecord& printer, const NewCommunityStrings& strings);

// A PJL password as typed: decimal digits only, 0 to 4294967295. Inline,
// so that glyctl's community-file reader needs nothing else of this file.
inline bool ParsePjlPassword(std::string_view text, uint32_t& password) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), password);
  return failed == std::errc() && end == text.data() + text.size();
}

// The dialog's title followed by the printer it changes:
// "<title> - LAB2 (10.1.2.3)".
std::string CommunityStringsTitle(const std::string& title, const PrinterRecord& printer);
