#include "snmp/community_strings.h"

#include <cstring>
#include <iterator>

#include "snmp/contract/glysnmp.h"

namespace {

template <size_t N>
void ReplaceIfGiven(char (&field)[N], const std::string& text) {
  if (!text.empty()) CopyRecordText(field, text.c_str());
}

// Into a field of `size` bytes, NUL included; false when it does not fit.
bool CopyText(char* field, size_t size, const std::string& text) {
  if (text.size() >= size) return false;
  std::memcpy(field, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

SnmpEntryProblem ChooseSnmpSecurity(const SnmpSecurityEntry& entry, std::optional<SnmpSecurityChoice>& choice) {
  choice.reset();
  const int32_t version = entry.version < std::size(community_strings::kVersions)
                              ? community_strings::kVersions[entry.version].value
                              : 0;
  if (version == 0) return SnmpEntryProblem::kNone;
  SnmpSecurityChoice made;
  SnmpSecurity& security = made.value;
  security.version = version;
  if (version == kSnmpVersion3) {
    auto pick = [](const auto& choices, size_t index) { return choices[index < std::size(choices) ? index : 0].value; };
    security.level = pick(community_strings::kLevels, entry.level);
    security.authProtocol = pick(community_strings::kAuthProtocols, entry.authProtocol);
    security.privProtocol = pick(community_strings::kPrivProtocols, entry.privProtocol);
    if (entry.user.empty() || !CopyText(security.user, sizeof security.user, entry.user)) return SnmpEntryProblem::kUser;
    auto passphraseFits = [](const std::string& text) { return text.size() >= kSnmpLeastPassphraseLength; };
    if (security.level >= kSnmpAuthNoPriv &&
        (!passphraseFits(entry.authPassphrase) ||
         !CopyText(security.authPassphrase, sizeof security.authPassphrase, entry.authPassphrase)))
      return SnmpEntryProblem::kAuthPassphrase;
    if (security.level == kSnmpAuthPriv &&
        (!passphraseFits(entry.privPassphrase) ||
         !CopyText(security.privPassphrase, sizeof security.privPassphrase, entry.privPassphrase)))
      return SnmpEntryProblem::kPrivPassphrase;
  }
  choice = made;
  return SnmpEntryProblem::kNone;
}

int32_t ApplyCommunityStrings(PrinterRecord& printer, const NewCommunityStrings& strings) {
  if (strings.security) {
    if (const int32_t result = SnmpSetPrinterSecurity(printer.address, &strings.security->value); result != kSnmpOk)
      return result;
  }
  ReplaceIfGiven(printer.readCommunity, strings.read);
  ReplaceIfGiven(printer.writeCommunity, strings.write);
  ReplaceIfGiven(printer.trapCommunity, strings.trap);
  if (strings.pjlPassword != 0) SnmpSetPjlPassword(printer.address, strings.pjlPassword);
  return kSnmpOk;
}

