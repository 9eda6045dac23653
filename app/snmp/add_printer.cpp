#include "snmp/add_printer.h"

#include <algorithm>

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

bool IsPrinterAddress(uint32_t address) {
  const uint32_t first = address >> 24;
  return first != 0 && first < 224;
}

std::string SearchCountText(const SearchCount& count) {
  return FormatText(LoadResourceString(kSearchCountText), count.found, count.alreadyListed, count.silent);
}

namespace {

// The library's refusals of the SNMPv3 settings.
bool IsSecurityRefusal(int32_t result) { return result <= kSnmpAuthenticationFailed && result >= kSnmpSecurityInvalid; }

// The addresses a search asks: all of the subnet but its network and
// broadcast addresses, where it has them.
int HostCount(uint32_t mask) {
  const uint64_t size = uint64_t{~mask} + 1;
  return static_cast<int>(size > 2 ? size - 2 : size);
}

}  // namespace

AddPrinterLogic::~AddPrinterLogic() {
  if (pending_) pending_->cancelled = true;
}

std::optional<uint32_t> AddPrinterLogic::InitialAddress() {
  uint32_t address = 0;
  if (SnmpGetDefaultAddress(&address) != 0) return std::nullopt;
  return address;
}

AddPrinterLogic::Outcome AddPrinterLogic::Start() {
  pending_ = std::make_shared<Pending>();
  outcome_ = Outcome::Busy;
  return outcome_;
}

void AddPrinterLogic::Finish(Outcome outcome) {
  outcome_ = outcome;
  if (finished_) finished_(outcome);
}

void AddPrinterLogic::Cancel() {
  if (!pending_) return;
  pending_->cancelled = true;
  pending_.reset();
  outcome_ = Outcome::StayOpen;
}

AddPrinterLogic::Outcome AddPrinterLogic::AddPrinterByAddress(const IpAddressValue& address) {
  if (busy()) return Outcome::Busy;
  if (address.IsBlank()) {
    boxes_.Show(kIncompleteAddressText);
    return Outcome::StayOpen;
  }
  const uint32_t typed = address.Address();
  if (!IsPrinterAddress(typed)) {
    boxes_.ShowMessage(FormatText(LoadResourceString(kNotAnAddressText), FormatAddress(typed).c_str()),
                       MB_OK | MB_ICONEXCLAMATION);
    return Outcome::StayOpen;
  }
  Start();
  std::shared_ptr<Pending> pending = pending_;
  SnmpContext* context = owner_.snmpContext();
  PrinterListOwner* owner = &owner_;
  owner_.RunInBackground([this, pending, context, owner, typed] {
    // A printer that does not answer costs the library's whole time-out.
    DeviceInfo device{};
    const int32_t result = SnmpAddPrinter(context, typed, &device);
    RunForLiveOwner(*owner, [this, pending, context, typed, result, device](PrinterListOwner&) {
      if (!pending->cancelled) {
        AddAnswered(typed, result, device);
      } else if (result == kSnmpAddAnswered) {
        SnmpForgetPrinter(context, typed);  // not listed, so not known either
      }
    });
  });
  return outcome_;
}

void AddPrinterLogic::AddAnswered(uint32_t typed, int32_t result, const DeviceInfo& device) {
  pending_.reset();
  addResult_ = result;
  const std::string address = FormatAddress(typed);
  Outcome outcome = Outcome::StayOpen;
  switch (result) {
    case kSnmpAddAnswered: {
      // The typed address, not the one in the answer, names the printer.
      const int position = AddAnsweredPrinter(owner_, device, typed);
      owner_.SelectItem(position);
      boxes_.Show(kPrinterAddedText);
      outcome = Outcome::Close;
      break;
    }
    case kSnmpAddNotAPrinter: boxes_.Show(kNotAPrinterText); break;
    case kSnmpAddAlreadyListed: boxes_.Show(kAlreadyListedText); break;
    case kSnmpNoAnswer:
      boxes_.ShowMessage(FormatText(LoadResourceString(kNoPrinterAnswersText), address.c_str()));
      break;
    case kSnmpMalformedAnswer: boxes_.Show(kUnreadableAnswerText); break;
    default:
      boxes_.ShowMessage(FormatText(LoadResourceString(IsSecurityRefusal(result) ? kSecurityRefusedText : kNotAskedText),
                                    address.c_str(), SnmpResultText(result)),
                         MB_OK | MB_ICONEXCLAMATION);
      break;
  }
  Finish(outcome);
}

AddPrinterLogic::Outcome AddPrinterLogic::FindAnnouncedPrinters() {
  if (busy()) return Outcome::Busy;
  Start();
  std::shared_ptr<Pending> pending = pending_;
  SnmpContext* context = owner_.snmpContext();
  PrinterListOwner* owner = &owner_;
  owner_.RunInBackground([this, pending, context, owner] {
    const AnnouncedBrowse browse = BrowseAnnouncedPrinters(BrowseSeconds(), SystemClock());
    // The library tells which of them are listed already.
    std::vector<AskedAnnouncement> asked;
    if (browse.problem.empty() && !pending->cancelled) asked = AskAnnouncedPrinters(context, browse.printers, {});
    RunForLiveOwner(*owner, [this, pending, context, problem = browse.problem, asked](PrinterListOwner&) {
      if (!pending->cancelled) {
        ListAnnounced(problem, asked);
        return;
      }
      for (const AskedAnnouncement& answer : asked)
        if (answer.result == kSnmpAddAnswered) SnmpForgetPrinter(context, answer.printer.address);
    });
  });
  return outcome_;
}

void AddPrinterLogic::ListAnnounced(const std::string& problem, const std::vector<AskedAnnouncement>& asked) {
  pending_.reset();
  if (!problem.empty()) {
    boxes_.ShowMessage(FormatText(LoadResourceString(kNoBrowseText), problem.c_str()), MB_OK | MB_ICONEXCLAMATION);
    Finish(Outcome::StayOpen);
    return;
  }
  const AnnouncedListing listing = ListAskedAnnouncements(owner_, asked);
  SelectLastPrinterAfterReports(owner_);
  boxes_.ShowMessage(
      FormatText(LoadResourceString(kAnnouncedListedText), listing.added, listing.withoutSnmp, listing.alreadyListed));
  Finish(Outcome::Close);
}

AddPrinterLogic::Outcome AddPrinterLogic::AddPrintersAt(std::vector<uint32_t> addresses) {
  if (busy()) return Outcome::Busy;
  Start();
  std::shared_ptr<Pending> pending = pending_;
  SnmpContext* context = owner_.snmpContext();
  PrinterListOwner* owner = &owner_;
  owner_.RunInBackground([this, pending, context, owner, addresses = std::move(addresses)] {
    for (const uint32_t address : addresses) {
      if (pending->cancelled) break;
      // A printer that does not answer costs the library's whole time-out.
      DeviceInfo device{};
      const int32_t result = SnmpAddPrinter(context, address, &device);
      RunForLiveOwner(*owner, [pending, context, address, result, device](PrinterListOwner& listed) {
        if (pending->cancelled) {
          if (result == kSnmpAddAnswered) SnmpForgetPrinter(context, address);  // not listed, so not known either
          return;
        }
        switch (result) {
          case kSnmpAddAnswered:
            AddAnsweredPrinter(listed, device, address);
            ++pending->count.found;
            break;
          case kSnmpAddAlreadyListed: ++pending->count.alreadyListed; break;
          default: ++pending->count.silent; break;
        }
      });
    }
    RunForLiveOwner(*owner, [this, pending](PrinterListOwner& listed) {
      if (pending->cancelled) return;
      pending_.reset();
      if (pending->count.found > 0) listed.SelectItem(listed.itemCount() - 1);
      listed.ShowStatus(SearchCountText(pending->count));
      Finish(Outcome::Close);
    });
  });
  return outcome_;
}

AddPrinterLogic::Outcome AddPrinterLogic::GetSubnetPrinters(const IpAddressValue& subnetAddress,
                                                            const IpAddressValue& subnetMask) {
  if (busy()) return Outcome::Busy;
  if (subnetMask.IsBlank() || subnetAddress.IsBlank()) {
    boxes_.Show(kSubnetIncompleteText);
    return Outcome::StayOpen;
  }
  const uint32_t mask = subnetMask.Address();
  switch (CheckSubnetMask(mask)) {
    case SubnetMaskCheck::kSearched: break;
    case SubnetMaskCheck::kNotAMask: boxes_.Show(kNotAMaskText, MB_OK | MB_ICONEXCLAMATION); return Outcome::StayOpen;
    case SubnetMaskCheck::kTooLarge:
      boxes_.Show(kSubnetTooLargeText, MB_OK | MB_ICONEXCLAMATION);
      return Outcome::StayOpen;
  }
  // The library hands out no target for a subnet it will not search.
  const uint32_t target = SnmpSubnetTarget(subnetAddress.Address(), mask);
  if (target == 0) {
    boxes_.Show(kSubnetRefusedText, MB_OK | MB_ICONEXCLAMATION);
    return Outcome::StayOpen;
  }
  // The library leaves out the printers listed already; what is neither
  // found nor listed did not answer.
  const uint32_t subnet = subnetAddress.Address() & mask;
  int alreadyListed = 0;
  for (uint32_t listed : owner_.ListedAddresses())
    if ((listed & mask) == subnet) ++alreadyListed;
  const int hosts = HostCount(mask);
  const int itemsBefore = owner_.itemCount();

  Start();
  std::shared_ptr<Pending> pending = pending_;
  SnmpContext* context = owner_.snmpContext();
  PrinterListOwner* owner = &owner_;
  owner_.RunInBackground([=, this] {
    SnmpDiscoverPrinters(context, target, 0, 0);
    // The printers found arrive as reports queued before this.
    AfterReportsListed(*owner, [=, this](PrinterListOwner& listed) {
      listed.SelectItem(listed.itemCount() - 1);
      SearchCount count;
      count.found = std::max(0, listed.itemCount() - itemsBefore);
      count.alreadyListed = alreadyListed;
      count.silent = std::max(0, hosts - count.found - alreadyListed);
      listed.ShowStatus(SearchCountText(count));
      if (!pending->cancelled) {
        pending_.reset();
        Finish(Outcome::Close);
      }
    });
  });
  return outcome_;
}
