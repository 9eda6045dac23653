// The logic of the "Add Printer Options" dialog: one printer by its
// address, or the printers of a subnet, into the main window's list.
//
// User-interface thread only. The dialog's owner is the main window, whose
// list, SNMP context and model profiles it works on. The library's answer
// is waited for off that thread (PrinterListOwner::RunInBackground), so the
// window keeps answering and the wait can be given up with Cancel.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "snmp/contract/glysnmp.h"
#include "ui/ip_address_value.h"

class MessageBoxes;
class PrinterListOwner;
struct AskedAnnouncement;

// What a typed subnet mask is: a run of leading ones no shorter than a /16
// is searched; anything else is refused with a word why.
enum class SubnetMaskCheck { kSearched, kNotAMask, kTooLarge };
SubnetMaskCheck CheckSubnetMask(uint32_t mask);

// False for addresses no printer can have: 0.x.x.x ("this network") and
// the multicast and reserved ones from 224.0.0.0 up.
bool IsPrinterAddress(uint32_t address);

// What a search of the subnet found, for the status bar: the printers it
// listed, those of the subnet listed before, and the rest of its hosts.
struct SearchCount {
  int found = 0;
  int alreadyListed = 0;
  int silent = 0;
};
std::string SearchCountText(const SearchCount& count);

class AddPrinterLogic {
 public:
  // Busy: the library is being asked; the outcome comes through
  // `finished` when it has answered.
  enum class Outcome { StayOpen, Close, Busy };

  AddPrinterLogic(PrinterListOwner& owner, MessageBoxes& boxes, std::function<void(Outcome)> finished = {})
      : owner_(owner), boxes_(boxes), finished_(std::move(finished)) {}
  // An answer still awaited is dropped when it comes (see Cancel).
  ~AddPrinterLogic();
  AddPrinterLogic(const AddPrinterLogic&) = delete;
  AddPrinterLogic& operator=(const AddPrinterLogic&) = delete;

  // The address the dialog first offers, when the library has one.
  std::optional<uint32_t> InitialAddress();

  // "Add &Printer": asks the library for the printer at `address`, lists
  // and selects it, and tells how it went. Every failure keeps the dialog
  // open with what was typed. Returns Busy while the library is asked, or
  // the outcome when it has answered already.
  Outcome AddPrinterByAddress(const IpAddressValue& address);
  // "&Get Printer(s)": lets the library search the subnet; the printers it
  // finds arrive through the main window's printer reports. Once they are
  // all listed, the last item of the list is selected. A mask that is
  // refused, by CheckSubnetMask or by the library, is explained and the
  // dialog stays open. The status bar then tells what the search found.
  Outcome GetSubnetPrinters(const IpAddressValue& subnetAddress, const IpAddressValue& subnetMask);

  // "Find announced printers": lists the printers announced over DNS-SD
  // (through the Avahi daemon, for BrowseSeconds) that are not listed yet,
  // tells how many, and selects the last item. Without the daemon it says
  // why and the dialog stays open. Busy while it browses and asks.
  Outcome FindAnnouncedPrinters();

  // Opening a printer list: asks the library for each address in turn, as
  // adding by address does, lists those that answer, selects the last
  // item, and tells in the status bar what it found, as a search does.
  // Cancel stops the asking; the printers listed until then stay.
  Outcome AddPrintersAt(std::vector<uint32_t> addresses);

  bool busy() const { return pending_ != nullptr; }
  // Stops waiting for the library: its answer is dropped when it comes (a
  // printer it found for an added address is forgotten again; one that a
  // search reports is still listed) and the dialog can be used again.
  void Cancel();

  // What the library gave the last AddPrinterByAddress (a SnmpResult; a
  // failure such as refused SNMPv3 credentials has no message).
  int32_t addResult() const { return addResult_; }

 private:
  // One request to the library, shared with the work that waits for it.
  struct Pending {
    // Set on the user-interface thread; a worker asking many printers
    // reads it to stop early.
    std::atomic<bool> cancelled = false;
    SearchCount count;  // user-interface thread only
  };

  Outcome Start();
  void AddAnswered(uint32_t address, int32_t result, const DeviceInfo& device);
  void ListAnnounced(const std::string& problem, const std::vector<AskedAnnouncement>& asked);
  void Finish(Outcome outcome);

  PrinterListOwner& owner_;
  MessageBoxes& boxes_;
  std::function<void(Outcome)> finished_;
  std::shared_ptr<Pending> pending_;
  Outcome outcome_ = Outcome::StayOpen;
  int32_t addResult_ = kSnmpAddAnswered;
};
