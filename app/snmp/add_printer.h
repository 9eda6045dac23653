// The logic of the "Add Printer Options" dialog: one printer by its
// address, or the printers of a subnet, into the main window's list.
//
// User-interface thread only. The dialog's owner is the main window, whose
// list, SNMP context and model profiles it works on.
#pragma once

#include <cstdint>
#include <optional>

#include "snmp/contract/glysnmp.h"
#include "ui/ip_address_value.h"

class MessageBoxes;
class PrinterListOwner;

// What a typed subnet mask is: a run of leading ones no shorter than a /16
// is searched; anything else is refused with a word why.
enum class SubnetMaskCheck { kSearched, kNotAMask, kTooLarge };
SubnetMaskCheck CheckSubnetMask(uint32_t mask);

class AddPrinterLogic {
 public:
  enum class Outcome { StayOpen, Close };

  AddPrinterLogic(PrinterListOwner& owner, MessageBoxes& boxes) : owner_(owner), boxes_(boxes) {}

  // The address the dialog first offers, when the library has one.
  std::optional<uint32_t> InitialAddress();

  // "Add &Printer": asks the library for the printer at `address`, lists
  // and selects it, and tells how it went.
  Outcome AddPrinterByAddress(const IpAddressValue& address);
  // "&Get Printer(s)": lets the library search the subnet; the printers it
  // finds arrive through the main window's printer reports. Once they are
  // all listed, the last item of the list is selected. A mask that is
  // refused, by CheckSubnetMask or by the library, is explained and the
  // dialog stays open.
  Outcome GetSubnetPrinters(const IpAddressValue& subnetAddress, const IpAddressValue& subnetMask);

  // "Find announced printers": lists the printers announced over DNS-SD
  // (through the Avahi daemon, for BrowseSeconds) that are not listed yet,
  // tells how many, and selects the last item. Without the daemon it says
  // why at once and the dialog stays open.
  Outcome FindAnnouncedPrinters();

  // What the library gave the last AddPrinterByAddress (a SnmpResult; a
  // failure such as refused SNMPv3 credentials has no message).
  int32_t addResult() const { return addResult_; }

 private:
  PrinterListOwner& owner_;
  MessageBoxes& boxes_;
  int32_t addResult_ = kSnmpAddAnswered;
};
