#include "glyctl/console_printers.h"

#include <arpa/inet.h>

#include <set>

#include "glyctl/console.h"
#include "printers/clock.h"
#include "snmp/add_printer.h"
#include "snmp/add_printer_ids.h"
#include "snmp/announced_printers.h"
#include "snmp/discovery.h"
#include "ui/ip_address_value.h"

ConsolePrinters::ConsolePrinters(Console& console, NewCommunityStrings communities, AskAbilities askAbilities)
    // Success is told by the command's own output.
    : console_(console),
      boxes_(console, {add_printer::kPrinterAddedText}),
      communities_(std::move(communities)),
      askAbilities_(askAbilities) {
  LoadModelProfiles(profiles_);
  StartPrinterReports(*this);
}

ConsolePrinters::~ConsolePrinters() { StopPrinterReports(*this); }

std::optional<uint32_t> ParseAddress(const std::string& text) {
  in_addr parsed{};
  if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) return std::nullopt;
  return ntohl(parsed.s_addr);
}

std::string StorageText(uint32_t storageOptions) {
  switch (storageOptions) {
    case kStorageNone: return "none";
    case kStorageHardDisk: return "disk";
    case kStorageFlash: return "flash";
    case kStorageBoth: return "disk+flash";
    default: return std::to_string(storageOptions);
  }
}

int ConsolePrinters::AddPrinter(std::unique_ptr<PrinterRecord> record, const std::string& listText) {
  // Before the printer is asked anything with the record's strings.
  // The SNMP settings were checked when the command started.
  static_cast<void>(ApplyCommunityStrings(*record, communities_));
  AskPrinterStorage(*record);
  if (askAbilities_ == AskAbilities::kYes) AskPrinterAbilities(*record);
  printers_.push_back({std::move(record), listText});
  return static_cast<int>(printers_.size()) - 1;
}

bool ConsolePrinters::DiscoverAnnounced(std::string& error) {
  console_.ShowActivity("Looking for announced printers");
  const AnnouncedBrowse browse = BrowseAnnouncedPrinters(BrowseSeconds(), SystemClock());
  if (!browse.problem.empty()) {
    console_.EndProgress();
    error = "announced printers cannot be looked for: " + browse.problem;
    return false;
  }
  std::set<uint32_t> listed;
  for (const ListedPrinter& printer : printers_) listed.insert(printer.record->address);
  ListAnnouncedPrinters(*this, browse.printers, listed);
  uiThread_.RunPending();
  console_.EndProgress();
  return true;
}

PrinterRecord* ConsolePrinters::Add(const std::string& address, std::string& error) {
  const std::optional<uint32_t> value = ParseAddress(address);
  if (!value) {
    error = "not an IPv4 address: " + address;
    return nullptr;
  }
  for (const ListedPrinter& printer : printers_)
    if (printer.record->address == *value) return printer.record.get();
  const size_t before = printers_.size();
  const int messages = boxes_.shownCount();
  AddPrinterLogic adding(*this, boxes_);
  adding.AddPrinterByAddress(IpAddressValue::FromAddress(*value));
  uiThread_.RunPending();
  if (printers_.size() > before) return printers_.back().record.get();
  // The library's failures other than "not a printer" come without a box;
  // refused SNMPv3 credentials are told as such.
  if (boxes_.shownCount() == messages) {
    error = adding.addResult() <= kSnmpAuthenticationFailed
                ? address + ": " + SnmpResultText(adding.addResult())
                : "no printer answers at " + address;
  }
  return nullptr;
}

bool ConsolePrinters::Discover(const std::string& subnet, std::string& error) {
  const size_t slash = subnet.find('/');
  const std::optional<uint32_t> network = ParseAddress(subnet.substr(0, slash));
  int bits = -1;
  if (slash != std::string::npos && slash + 1 < subnet.size() && subnet.size() - slash <= 3 &&
      subnet.find_first_not_of("0123456789", slash + 1) == std::string::npos)
    bits = std::stoi(subnet.substr(slash + 1));
  if (!network || bits < 1 || bits > 32) {
    error = "expected SUBNET/BITS, such as 192.168.1.0/24: " + subnet;
    return false;
  }
  const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> bits);
  // The library refuses what it would not search; its target is then 0.
  if (SnmpSubnetTarget(*network, mask) == 0) {
    error = "subnet " + subnet + " is larger than a search covers (at most /16)";
    return false;
  }
  // The library searches the whole subnet in one call: the line tells
  // what runs, without a count.
  console_.ShowActivity("Searching " + subnet);
  AddPrinterLogic(*this, boxes_)
      .GetSubnetPrinters(IpAddressValue::FromAddress(*network), IpAddressValue::FromAddress(mask));
  uiThread_.RunPending();
  console_.EndProgress();
  return true;
}
