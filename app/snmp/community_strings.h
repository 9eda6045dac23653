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
  kSnmpVersion = 1091,
  kV3User = 1092,
  kV3Level = 1093,
  kV3AuthProtocol = 1094,
  kV3AuthPassphrase = 1095,
  kV3PrivProtocol = 1096,
  kV3PrivPassphrase = 1097,
};

// The choices of the combo boxes, in their order, with the library's value
// of each. The first version, "Unchanged", leaves the printer's as it is.
struct SnmpChoice {
  const char* text;
  int32_t value;
};
inline constexpr SnmpChoice kVersions[] = {
    {"Unchanged", 0}, {"v1", kSnmpVersion1}, {"v2c", kSnmpVersion2c}, {"v3", kSnmpVersion3}};
inline constexpr SnmpChoice kLevels[] = {
    {"authPriv", kSnmpAuthPriv}, {"authNoPriv", kSnmpAuthNoPriv}, {"noAuthNoPriv", kSnmpNoAuthNoPriv}};
// MD5 and DES come last: never the first offered.
inline constexpr SnmpChoice kAuthProtocols[] = {{"SHA-1", kSnmpAuthSha1},     {"SHA-224", kSnmpAuthSha224},
                                                {"SHA-256", kSnmpAuthSha256}, {"SHA-384", kSnmpAuthSha384},
                                                {"SHA-512", kSnmpAuthSha512}, {"MD5", kSnmpAuthMd5}};
inline constexpr SnmpChoice kPrivProtocols[] = {{"AES-128", kSnmpPrivAes128},   {"AES-192", kSnmpPrivAes192},
                                                {"AES-256", kSnmpPrivAes256},   {"AES-192-C", kSnmpPrivAes192C},
                                                {"AES-256-C", kSnmpPrivAes256C}, {"DES", kSnmpPrivDes}};

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
  std::optional<SnmpSecurityChoice> security = std::nullopt;
};

// What the dialog's SNMP rows hold: the index chosen in each combo box.
struct SnmpSecurityEntry {
  size_t version = 0;
  std::string user;
  size_t level = 0;
  size_t authProtocol = 0;
  std::string authPassphrase;
  size_t privProtocol = 0;
  std::string privPassphrase;
};

// The entry that keeps the dialog open: its text is missing or too short
// for the level chosen.
enum class SnmpEntryProblem { kNone, kUser, kAuthPassphrase, kPrivPassphrase };

// The settings `entry` stands for into `choice` (left unset for
// "Unchanged"), or the first entry that is not right.
SnmpEntryProblem ChooseSnmpSecurity(const SnmpSecurityEntry& entry, std::optional<SnmpSecurityChoice>& choice);

// OK: each non-empty new string replaces that community string of
// `printer`, cut to the 63 characters the record holds; empty ones leave
// theirs as it was. A PJL password other than 0 and the SNMP security, when
// given, go to the SNMP library, which keeps them for the printer's address;
// the result is the library's for the security (0 when none was given).
// Settings the library refuses change nothing at all.
int32_t ApplyCommunityStrings(PrinterRecord& printer, const NewCommunityStrings& strings);

// A PJL password as typed: decimal digits only, 0 to 4294967295. Inline,
// so that glyctl's community-file reader needs nothing else of this file.
inline bool ParsePjlPassword(std::string_view text, uint32_t& password) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), password);
  return failed == std::errc() && end == text.data() + text.size();
}
