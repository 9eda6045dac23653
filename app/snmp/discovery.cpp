#include "snmp/discovery.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "shell/main_window_logic.h"
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

// The windows printer reports may reach (see StartPrinterReports).
std::mutex g_reportLock;
std::set<const MainWindowLogic*> g_reportedWindows;

bool IsReportedWindow(const MainWindowLogic* window) {
  const std::lock_guard guard(g_reportLock);
  return g_reportedWindows.contains(window);
}

}  // namespace

PrinterRecord NewPrinterRecord(const DeviceInfo& device, uint32_t address) {
  PrinterRecord record = MakePrinterRecord();
  record.address = address;
  CopyRecordText(record.modelName, FieldText(device.description).c_str());
  CopyRecordText(record.printerName, FieldText(device.deviceName).c_str());
  return record;
}

std::string BeginListText(uint32_t address, const DeviceInfo& device) {
  return FormatAddress(address) + " (" + FieldText(device.deviceName) + ") ";
}

const ModelProfile* MatchModelProfile(const DeviceInfo& device, PrinterRecord& record,
                                      std::string& listText, const ModelProfileTable& table) {
  const std::string systemId = FieldText(device.systemId);
  const ModelProfile* match = nullptr;
  const int count = std::min<int>(table.modelCount, static_cast<int>(table.profiles.size()));
  for (int i = 0; i < count && !match; ++i)
    if (systemId == FieldText(table.profiles[static_cast<size_t>(i)].systemId))
      match = &table.profiles[static_cast<size_t>(i)];

  listText += " (";
  if (!match) {
    listText += FieldText(device.description);
  } else {
    const std::string modelName = FieldText(match->modelName);
    listText += "Ostrel " + modelName;
    CopyRecordText(record.modelName, modelName.c_str());
    record.snmpLevel = match->snmpLevel;
    if (ProfileSettlesStorage(*match)) {
      record.storageOptions = (match->storageFirst == 1 ? 1u : 0u) + (match->storageSecond == 1 ? 1u : 0u);
      record.optionsKnown = 1;
    }
    record.fontNameIndex = match->fontNameIndex;
    record.pclList = match->pclList;
  }
  listText += ") ";
  return match;
}

int AddAnsweredPrinter(MainWindowLogic& window, const DeviceInfo& device, uint32_t address) {
  auto record = std::make_unique<PrinterRecord>(NewPrinterRecord(device, address));
  std::string listText = BeginListText(address, device);
  MatchModelProfile(device, *record, listText, window.profiles());
  return window.AddPrinter(std::move(record), listText);
}

void StartPrinterReports(MainWindowLogic* window) {
  const std::lock_guard guard(g_reportLock);
  g_reportedWindows.insert(window);
}

void StopPrinterReports(MainWindowLogic* window) {
  const std::lock_guard guard(g_reportLock);
  g_reportedWindows.erase(window);
}

void OnPrinterFound(const DeviceInfo* device, void* mainWindow) {
  if (!device || !mainWindow) return;
  auto* window = static_cast<MainWindowLogic*>(mainWindow);
  // The report lives only during this call, and the list is not locked:
  // copy it and add it on the user-interface thread.
  const DeviceInfo copy = *device;
  // Held while the window is looked at from another thread, so that it
  // cannot be destroyed in between; windows are destroyed on the user-
  // interface thread, so there the check alone is enough.
  std::unique_lock guard(g_reportLock);
  if (!g_reportedWindows.contains(window)) return;
  UiThread& uiThread = window->uiThread();
  if (uiThread.IsCurrent()) {
    guard.unlock();
    AddAnsweredPrinter(*window, copy, copy.address);
    return;
  }
  uiThread.Post([window, copy] {
    if (!IsReportedWindow(window)) return;  // closed while the report waited
    AddAnsweredPrinter(*window, copy, copy.address);
  });
}
