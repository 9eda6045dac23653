#include "snmp/community_strings.h"

namespace {

template <size_t N>
void ReplaceIfGiven(char (&field)[N], const std::string& text) {
  if (!text.empty()) CopyRecordText(field, text.c_str());
}

}  // namespace

void ApplyCommunityStrings(PrinterRecord& printer, const NewCommunityStrings& strings) {
  ReplaceIfGiven(printer.readCommunity, strings.read);
  ReplaceIfGiven(printer.writeCommunity, strings.write);
  ReplaceIfGiven(printer.trapCommunity, strings.trap);
}
