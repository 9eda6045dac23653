#include "snmp/discovery.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "printers/printer_name.h"
#include "printers/printer_abilities.h"
#include "ui/ui_thread.h"

namespace {

// A text field the library filled; a missing NUL ends the text at the
// field's end instead of running past it.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// The profile decides the storage options only for these StorageIndex pairs;
// for the others the printer is asked.
bool ProfileSettlesStorage(const ModelProfile& profile) {
  return profile.storageFirst == 0 || (profile.storageFirst == 1 && profile.storageSecond == 0) ||
         profile.storageSecond == 1;
}

// The owners printer reports may reach (see StartPrinterReports). The
// library outlives them, so its context alone cannot tell.
std::mutex g_reportLock;
std::set<const PrinterListOwner*> g_liveOwners;

bool IsLive(const PrinterListOwner* owner) {
  const std::lock_guard guard(g_reportLock);
  return g_liveOwners.contains(owner);
}

}  // namespace

PrinterRecord NewPrinterRecord(const DeviceInfo& device, uint32_t address) {
  PrinterRecord record = MakePrinterRecord();
  record.address = address;
  CopyRecordText(record.modelName, FieldText(device.description).c_str());
  CopyRecordText(record.printerName, FieldText(device.deviceName).c_str());
  return record;
}

const ModelProfile* MatchModelProfile(const DeviceInfo& device, PrinterRecord& record,
                                      const ModelProfileTable& table) {
  const std::string systemId = FieldText(device.systemId);
  const ModelProfile* match = nullptr;
  const int count = std::min<int>(table.modelCount, static_cast<int>(table.profiles.size()));
  for (int i = 0; i < count && !match; ++i)
    if (systemId == FieldText(table.profiles[static_cast<size_t>(i)].systemId))
      match = &table.profiles[static_cast<size_t>(i)];

  if (match) {
    const std::string modelName = FieldText(match->modelName);
    CopyRecordText(record.modelName, modelName.c_str());
    record.snmpLevel = match->snmpLevel;
    if (ProfileSettlesStorage(*match)) {
      record.storageOptions = (match->storageFirst == 1 ? 1u : 0u) + (match->storageSecond == 1 ? 1u : 0u);
      record.optionsKnown = 1;
    }
    record.fontNameIndex = match->fontNameIndex;
    record.pclList = match->pclList;
  }
  return match;
}

void AskPrinterWhatItHas(PrinterRecord& record) {
  AskPrinterStorage(record);
  AskPrinterAbilities(record);
}

void AskPrinterStorage(PrinterRecord& record) {
  uint32_t reported = kStorageNone;
  if (SnmpGetReportedStorage(&record, &reported) == kSnmpOk) {
    record.storageOptions = reported;
  } else if (!record.optionsKnown) {
    record.storageOptions = kStorageNone;
  }
}

void AskPrinterAbilities(PrinterRecord& record) {
  SnmpPrinterAbilities answer{};
  if (SnmpGetPrinterAbilities(&record, &answer) != kSnmpOk) return;
  PrinterAbilities told;
  told.languages = answer.languages;
  told.channels.assign(answer.channels, answer.channels + std::min(answer.channelCount, kSnmpMostChannels));
  PrinterAbilitiesStore& store = RunPrinterAbilities();
  store.Set(record.address, Completed(told, store.Get(record.address)));
}

int AddAnsweredPrinter(PrinterListOwner& owner, const DeviceInfo& device, uint32_t address) {
  auto record = std::make_unique<PrinterRecord>(NewPrinterRecord(device, address));
  MatchModelProfile(device, *record, owner.profiles());
  const std::string listText = PrinterDisplayName(*record);
  return owner.AddPrinter(std::move(record), listText);
}

void StartPrinterReports(PrinterListOwner& owner) {
  {
    const std::lock_guard guard(g_reportLock);
    g_liveOwners.insert(&owner);
  }
  // The library may report printers from here on; the result tells nothing
  // the window could act on.
  SnmpInitContext(owner.snmpContext(), OnPrinterFound, &owner, 0);
}

void StopPrinterReports(PrinterListOwner& owner) {
  const std::lock_guard guard(g_reportLock);
  g_liveOwners.erase(&owner);
}

void OnPrinterFound(const DeviceInfo* device, void* context) {
  if (!device || !context) return;
  auto* owner = static_cast<PrinterListOwner*>(context);
  // The report lives only during this call, and the list is not locked:
  // copy it and add it on the user-interface thread.
  const DeviceInfo copy = *device;
  // Held while the owner is looked at from another thread, so that it
  // cannot be destroyed in between; owners are destroyed on the user-
  // interface thread, so there the check alone is enough.
  std::unique_lock guard(g_reportLock);
  if (!g_liveOwners.contains(owner)) return;
  UiThread& uiThread = owner->uiThread();
  if (uiThread.IsCurrent()) {
    guard.unlock();
    AddAnsweredPrinter(*owner, copy, copy.address);
    return;
  }
  uiThread.Post([owner, copy] {
    if (!IsLive(owner)) return;  // closed while the report waited
    AddAnsweredPrinter(*owner, copy, copy.address);
  });
}

void SelectLastPrinterAfterReports(PrinterListOwner& owner) {
  AfterReportsListed(owner, [](PrinterListOwner& listed) { listed.SelectItem(listed.itemCount() - 1); });
}

void AfterReportsListed(PrinterListOwner& owner, std::function<void(PrinterListOwner&)> then) {
  // Posted even on the user-interface thread: the queue runs in order, so
  // this comes after the reports already waiting in it.
  PrinterListOwner* target = &owner;
  owner.uiThread().Post([target, then = std::move(then)] {
    if (IsLive(target)) then(*target);
  });
}

void RunForLiveOwner(PrinterListOwner& owner, std::function<void(PrinterListOwner&)> then) {
  if (owner.uiThread().IsCurrent()) {
    if (IsLive(&owner)) then(owner);
    return;
  }
  AfterReportsListed(owner, std::move(then));
}
