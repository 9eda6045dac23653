#include "snmp/community_strings.h"

#include <cstring>

#include "snmp/contract/glysnmp.h"

namespace {

template <size_t N>
void ReplaceIfGiven(char (&field)[N], const std::string& text) {
  if (!text.empty()) CopyRecordText(field, text.c_str());
}

}  // namespace

int32_t ApplyCommunityStrings(PrinterRecord& printer, const NewCommunityStrings& strings) {
  ReplaceIfGiven(printer.readCommunity, strings.read);
  ReplaceIfGiven(printer.writeCommunity, strings.write);
  ReplaceIfGiven(printer.trapCommunity, strings.trap);
  if (strings.pjlPassword != 0) SnmpSetPjlPassword(printer.address, strings.pjlPassword);
  return strings.security ? SnmpSetPrinterSecurity(printer.address, &strings.security->value) : kSnmpOk;
}


std::string CommunityStringsTitle(const std::string& title, const PrinterRecord& printer) {
  const std::string name(printer.printerName, strnlen(printer.printerName, sizeof printer.printerName));
  return title + " - " + name + " (" + FormatAddress(printer.address) + ")";
}
