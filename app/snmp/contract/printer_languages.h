// The printer languages an IEEE 1284 command set names ("CMD:PJL,PCL,
// PCLXL,POSTSCRIPT"), as the device ID over SNMP and a DNS-SD TXT record's
// usb_CMD give it. Header only: the SNMP access library and the program
// both read command sets.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "glysnmp.h"

// A command set is read up to this many bytes.
inline constexpr size_t kMostCommandSetBytes = 1024;

// SnmpLanguage bits of one command word, blanks and case aside: PCL in its
// levels (PCL5E, PCL5C...), PCL XL (PCLXL, PCL6), PostScript (POSTSCRIPT,
// PS, PS3, BR-SCRIPT), PDF, PJL; any other word is kLanguageOther.
inline uint32_t LanguageOfCommandWord(std::string_view word) {
  std::string upper;
  for (char c : word) {
    if (!std::isspace(static_cast<unsigned char>(c))) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (upper.empty()) return 0;
  if (upper == "PJL") return kLanguagePjl;
  if (upper == "PCLXL" || upper == "PCL6") return kLanguagePclXl;
  if (upper.starts_with("PCL")) return kLanguagePcl;
  if (upper == "PS" || upper == "PS2" || upper == "PS3" || upper.starts_with("POSTSCRIPT") ||
      upper.starts_with("BR-SCRIPT"))
    return kLanguagePostScript;
  if (upper == "PDF") return kLanguagePdf;
  return kLanguageOther;
}

// SnmpLanguage bits of a comma-separated command set.
inline uint32_t LanguagesOfCommandSet(std::string_view commands) {
  uint32_t languages = 0;
  commands = commands.substr(0, kMostCommandSetBytes);
  while (!commands.empty()) {
    const size_t comma = commands.find(',');
    languages |= LanguageOfCommandWord(commands.substr(0, comma));
    if (comma == std::string_view::npos) break;
    commands.remove_prefix(comma + 1);
  }
  return languages;
}
