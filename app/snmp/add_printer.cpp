#include "snmp/add_printer.h"

#include "snmp/add_printer_ids.h"
#include "snmp/discovery.h"
#include "snmp/contract/glysnmp.h"
#include "ui/message_boxes.h"

using namespace add_printer;

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
  switch (SnmpAddPrinter(owner_.snmpContext(), typed, &device)) {
    case kSnmpAddAnswered: {
      // The typed address, not the one in the answer, names the printer.
      const int position = AddAnsweredPrinter(owner_, device, typed);
      owner_.SelectItem(position);
      boxes_.Show(kPrinterAddedText);
      break;
    }
    case kSnmpAddNotAPrinter: boxes_.Show(kNotAPrinterText); break;
    case kSnmpAddAlreadyListed: boxes_.Show(kAlreadyListedText); break;
    default: break;  // other failures pass without a message
  }
  return Outcome::Close;
}

AddPrinterLogic::Outcome AddPrinterLogic::GetSubnetPrinters(const IpAddressValue& subnetAddress,
                                                            const IpAddressValue& subnetMask) {
  if (subnetMask.IsBlank() || subnetAddress.IsBlank()) {
    boxes_.Show(kSubnetIncompleteText);
    return Outcome::StayOpen;
  }
  const uint32_t target = SnmpSubnetTarget(subnetAddress.Address(), subnetMask.Address());
  SnmpDiscoverPrinters(owner_.snmpContext(), target, 0, 0);
  SelectLastPrinterAfterReports(owner_);
  return Outcome::Close;
}
