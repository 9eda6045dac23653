#include "snmp/add_printer.h"

#include "fonts/format_text.h"
#include "printers/clock.h"
#include "printers/printer_record.h"
#include "snmp/announced_printers.h"
#include "snmp/add_printer_ids.h"
#include "snmp/discovery.h"
#include "snmp/contract/glysnmp.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"

using namespace add_printer;

SubnetMaskCheck CheckSubnetMask(uint32_t mask) {
  // Leading ones: the complement is a run of trailing ones, so adding one
  // to it leaves a single bit or none.
  const uint32_t hostBits = ~mask;
  if ((hostBits & (hostBits + 1)) != 0) return SubnetMaskCheck::kNotAMask;
  const uint32_t widest = ~uint32_t{0} << (32 - kShortestMaskPrefix);
  return (mask & widest) == widest ? SubnetMaskCheck::kSearched : SubnetMaskCheck::kTooLarge;
}

std::optional<uint32_t> AddPrinterLogic::InitialAddress() {
  uint32_t address = 0;
  if (SnmpGetDefaultAddress(&address) != 0) return std::nullopt;
  return address;
}

AddPrinterLogic::Outcome AddPrinterLogic::AddPrinterByAddress(const IpAddressValue& address) {
  if (address.IsBlank()) {
    boxes_.Show(kIncompleteAddressText);
    return Outcome::StayOpen;
  }
  const uint32_t typed = address.Address();
  DeviceInfo device{};
  addResult_ = SnmpAddPrinter(owner_.snmpContext(), typed, &device);
  switch (addResult_) {
    case kSnmpAddAnswered: {
      // The typed address, not the one in the answer, names the printer.
      const int position = AddAnsweredPrinter(owner_, device, typed);
      owner_.SelectItem(position);
      boxes_.Show(kPrinterAddedText);
      break;
    }
    case kSnmpAddNotAPrinter: boxes_.Show(kNotAPrinterText); break;
    case kSnmpAddAlreadyListed: boxes_.Show(kAlreadyListedText); break;
    case kSnmpNoAnswer:
      boxes_.ShowMessage(FormatText(LoadResourceString(kNoPrinterAnswersText), FormatAddress(typed).c_str()));
      break;
    case kSnmpMalformedAnswer: boxes_.Show(kUnreadableAnswerText); break;
    default: break;  // other failures pass without a message
  }
  return Outcome::Close;
}

AddPrinterLogic::Outcome AddPrinterLogic::FindAnnouncedPrinters() {
  const AnnouncedBrowse browse = BrowseAnnouncedPrinters(BrowseSeconds(), SystemClock());
  if (!browse.problem.empty()) {
    boxes_.ShowMessage(FormatText(LoadResourceString(kNoBrowseText), browse.problem.c_str()), MB_OK | MB_ICONEXCLAMATION);
    return Outcome::StayOpen;
  }
  // The library tells which of them are listed already.
  const AnnouncedListing listing = ListAnnouncedPrinters(owner_, browse.printers, {});
  SelectLastPrinterAfterReports(owner_);
  boxes_.ShowMessage(
      FormatText(LoadResourceString(kAnnouncedListedText), listing.added, listing.withoutSnmp, listing.alreadyListed));
  return Outcome::Close;
}

AddPrinterLogic::Outcome AddPrinterLogic::GetSubnetPrinters(const IpAddressValue& subnetAddress,
                                                            const IpAddressValue& subnetMask) {
  if (subnetMask.IsBlank() || subnetAddress.IsBlank()) {
    boxes_.Show(kSubnetIncompleteText);
    return Outcome::StayOpen;
  }
  switch (CheckSubnetMask(subnetMask.Address())) {
    case SubnetMaskCheck::kSearched: break;
    case SubnetMaskCheck::kNotAMask: boxes_.Show(kNotAMaskText, MB_OK | MB_ICONEXCLAMATION); return Outcome::StayOpen;
    case SubnetMaskCheck::kTooLarge:
      boxes_.Show(kSubnetTooLargeText, MB_OK | MB_ICONEXCLAMATION);
      return Outcome::StayOpen;
  }
  // The library hands out no target for a subnet it will not search.
  const uint32_t target = SnmpSubnetTarget(subnetAddress.Address(), subnetMask.Address());
  if (target == 0) {
    boxes_.Show(kSubnetRefusedText, MB_OK | MB_ICONEXCLAMATION);
    return Outcome::StayOpen;
  }
  SnmpDiscoverPrinters(owner_.snmpContext(), target, 0, 0);
  SelectLastPrinterAfterReports(owner_);
  return Outcome::Close;
}
