#include "snmp/announced_printers.h"

#include "printers/printer_record.h"
#include "snmp/announced_txt.h"
#include "snmp/discovery.h"

namespace {

// A device as SNMP would have reported it, from the announcement.
DeviceInfo AnnouncedDevice(const AnnouncedPrinter& printer) {
  DeviceInfo device{};
  device.address = printer.address;
  CopyRecordText(device.deviceName, printer.name.c_str());
  const std::string model = AnnouncedModel(printer);
  CopyRecordText(device.description, ((model.empty() ? printer.name : model) + kNoSnmpNote).c_str());
  return device;
}

}  // namespace

std::vector<AskedAnnouncement> AskAnnouncedPrinters(SnmpContext* context, const std::vector<AnnouncedPrinter>& printers,
                                                    const std::set<uint32_t>& listed) {
  std::vector<AskedAnnouncement> asked;
  for (const AnnouncedPrinter& printer : printers) {
    AskedAnnouncement& answer = asked.emplace_back();
    answer.printer = printer;
    answer.listedBefore = listed.contains(printer.address);
    if (!answer.listedBefore) answer.result = SnmpAddPrinter(context, printer.address, &answer.device);
  }
  return asked;
}

AnnouncedListing ListAskedAnnouncements(PrinterListOwner& owner, const std::vector<AskedAnnouncement>& asked) {
  AnnouncedListing listing;
  PrinterAbilitiesStore& store = RunPrinterAbilities();
  // A printer listed already is not listed again; what it announces still
  // fills in what SNMP did not tell of it.
  const auto complete = [&](const AnnouncedPrinter& printer) {
    store.Set(printer.address, Completed(store.Get(printer.address), AnnouncedAbilities(printer)));
  };
  for (const AskedAnnouncement& answer : asked) {
    const AnnouncedPrinter& printer = answer.printer;
    if (answer.listedBefore || answer.result == kSnmpAddAlreadyListed) {
      complete(printer);
      ++listing.alreadyListed;
      continue;
    }
    DeviceInfo device = answer.device;
    if (answer.result == kSnmpAddAnswered) {
      if (device.description[0] == '\0') CopyRecordText(device.description, AnnouncedModel(printer).c_str());
    } else {
      device = AnnouncedDevice(printer);
      ++listing.withoutSnmp;
    }
    AddAnsweredPrinter(owner, device, printer.address);
    complete(printer);
    ++listing.added;
  }
  return listing;
}

AnnouncedListing ListAnnouncedPrinters(PrinterListOwner& owner, const std::vector<AnnouncedPrinter>& printers,
                                       const std::set<uint32_t>& listed) {
  return ListAskedAnnouncements(owner, AskAnnouncedPrinters(owner.snmpContext(), printers, listed));
}
