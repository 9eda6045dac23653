#include "snmp_double.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "printers/printer_record.h"

namespace snmp_double {
namespace {

struct DeletionProgress {
  Deletion script;
  int polls = 0;
};

struct State {
  std::mutex lock;
  std::vector<Device> devices;
  std::map<std::pair<uint32_t, int32_t>, DeletionProgress> deletions;
  std::vector<Call> calls;
  std::set<FontEntry*> handedOut;
  int foreignFrees = 0;
  int32_t defaultAddressResult = 0;
  uint32_t defaultAddress = 0;
  PrinterFoundCallback onFound = nullptr;
  void* onFoundContext = nullptr;
};

State& state() {
  static State instance;
  return instance;
}

// Call with the lock held.
void Record(State& s, const char* operation, uint32_t address = 0, int32_t fontIndex = 0,
            uint32_t target = 0) {
  s.calls.push_back({operation, address, fontIndex, target, std::this_thread::get_id(), {}});
}

Device* FindDevice(State& s, uint32_t address) {
  auto it = std::find_if(s.devices.begin(), s.devices.end(),
                         [&](const Device& d) { return d.info.address == address; });
  return it == s.devices.end() ? nullptr : &*it;
}

// Hands out `entries` the way the library does: one malloc'd array that only
// SnmpFreeFontList may release.
void HandOut(State& s, std::vector<FontEntry>::const_iterator first,
             std::vector<FontEntry>::const_iterator last, FontList* fonts) {
  fonts->count = static_cast<int32_t>(last - first);
  fonts->entries = nullptr;
  if (fonts->count == 0) return;
  fonts->entries = static_cast<FontEntry*>(std::malloc(sizeof(FontEntry) * fonts->count));
  std::copy(first, last, fonts->entries);
  s.handedOut.insert(fonts->entries);
}

uint32_t PrinterAddress(const DeleteContext* context) {
  return context && context->printer ? context->printer->address : 0;
}

// The scripted answer for one file, the call recorded as `operation`.
// The answer for the file, and its bytes when the device holds them.
int32_t AnswerStoredFile(const char* operation, uint32_t address, const char* printerPath,
                         std::optional<std::string>* content = nullptr, bool* tellsSizes = nullptr) {
  auto& s = state();
  std::function<std::optional<std::string>(const std::string&)> storedContent;
  int32_t answer = kSnmpFileUnknown;
  {
    std::lock_guard guard(s.lock);
    Record(s, operation, address);
    s.calls.back().path = printerPath;
    Device* known = FindDevice(s, address);
    if (!known) return kSnmpFileUnknown;
    auto stored = known->storedFiles.find(printerPath);
    answer = stored == known->storedFiles.end() ? known->storedFileResult : stored->second;
    storedContent = known->storedContent;
    if (tellsSizes) *tellsSizes = known->tellsSizes;
  }
  // Called without the lock: it may look at what the test recorded.
  std::optional<std::string> held = storedContent ? storedContent(printerPath) : std::nullopt;
  if (content) *content = held;
  return held ? kSnmpFileStored : answer;
}

}  // namespace

void Reset() {
  State& s = state();
  std::lock_guard guard(s.lock);
  for (FontEntry* entries : s.handedOut) std::free(entries);
  s.handedOut.clear();
  s.devices.clear();
  s.deletions.clear();
  s.calls.clear();
  s.foreignFrees = 0;
  s.defaultAddressResult = 0;
  s.defaultAddress = 0;
  s.onFound = nullptr;
  s.onFoundContext = nullptr;
}

void AddDevice(const Device& device) {
  State& s = state();
  std::lock_guard guard(s.lock);
  if (Device* existing = FindDevice(s, device.info.address)) {
    *existing = device;
  } else {
    s.devices.push_back(device);
  }
}

Device GetDevice(uint32_t address) {
  State& s = state();
  std::lock_guard guard(s.lock);
  Device* device = FindDevice(s, address);
  return device ? *device : Device{};
}

void SetDefaultAddress(int32_t result, uint32_t address) {
  State& s = state();
  std::lock_guard guard(s.lock);
  s.defaultAddressResult = result;
  s.defaultAddress = address;
}

void SetDeletion(uint32_t address, int32_t fontIndex, const Deletion& deletion) {
  State& s = state();
  std::lock_guard guard(s.lock);
  s.deletions[{address, fontIndex}] = DeletionProgress{deletion, 0};
}

bool ReportPrinter(const DeviceInfo& device) {
  PrinterFoundCallback onFound;
  void* context;
  {
    State& s = state();
    std::lock_guard guard(s.lock);
    onFound = s.onFound;
    context = s.onFoundContext;
  }
  if (!onFound) return false;
  onFound(&device, context);
  return true;
}

std::vector<Call> Calls() {
  State& s = state();
  std::lock_guard guard(s.lock);
  return s.calls;
}

int CallCount(const std::string& operation) {
  State& s = state();
  std::lock_guard guard(s.lock);
  return static_cast<int>(std::count_if(s.calls.begin(), s.calls.end(),
                                        [&](const Call& c) { return c.operation == operation; }));
}

int OutstandingFontLists() {
  State& s = state();
  std::lock_guard guard(s.lock);
  return static_cast<int>(s.handedOut.size());
}

int ForeignFrees() {
  State& s = state();
  std::lock_guard guard(s.lock);
  return s.foreignFrees;
}

DeviceInfo MakeDeviceInfo(uint32_t address, const char* systemId, const char* deviceName,
                          const char* description) {
  DeviceInfo info{};
  info.address = address;
  CopyRecordText(info.systemId, systemId);
  CopyRecordText(info.deviceName, deviceName);
  CopyRecordText(info.description, description);
  return info;
}

FontEntry MakeFontEntry(const char* name, int32_t index, int32_t fontType, int32_t persistence,
                        int32_t location, int32_t fontId) {
  FontEntry entry{};
  CopyRecordText(entry.name, name);
  entry.fontId = fontId;
  entry.index = index;
  entry.location = location;
  entry.fontType = fontType;
  entry.persistence = persistence;
  return entry;
}

}  // namespace snmp_double

using namespace snmp_double;  // NOLINT(google-build-using-namespace): the contract is global

extern "C" {

int32_t SnmpInitContext(SnmpContext* context, PrinterFoundCallback onPrinterFound,
                        void* callbackContext, uint32_t) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpInitContext");
  s.onFound = onPrinterFound;
  s.onFoundContext = callbackContext;
  if (context) context->words[0] = 1;
  return 0;
}

int32_t SnmpGetDefaultAddress(uint32_t* address) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetDefaultAddress");
  if (s.defaultAddressResult == 0) *address = s.defaultAddress;
  return s.defaultAddressResult;
}

uint32_t SnmpSubnetTarget(uint32_t subnetAddress, uint32_t subnetMask) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpSubnetTarget", 0, 0, subnetAddress);
  return subnetAddress & subnetMask;
}

int32_t SnmpDiscoverPrinters(SnmpContext*, uint32_t target, uint32_t, uint32_t) {
  std::vector<DeviceInfo> found;
  PrinterFoundCallback onFound;
  void* context;
  {
    auto& s = state();
    std::lock_guard guard(s.lock);
    Record(s, "SnmpDiscoverPrinters", 0, 0, target);
    for (const Device& device : s.devices) {
      if (device.discoverable) found.push_back(device.info);
    }
    onFound = s.onFound;
    context = s.onFoundContext;
  }
  // Reports are made without the lock: the program may call back into the
  // library from its callback.
  if (onFound) {
    for (const DeviceInfo& info : found) onFound(&info, context);
  }
  return 0;
}

int32_t SnmpAddPrinter(SnmpContext*, uint32_t address, DeviceInfo* device) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpAddPrinter", address);
  Device* known = FindDevice(s, address);
  if (!known) return kSnmpAddNotAPrinter;
  if (known->addResult == kSnmpAddAnswered) *device = known->info;
  return known->addResult;
}

int32_t SnmpForgetPrinter(SnmpContext*, uint32_t address) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpForgetPrinter", address);
  return 0;
}

int32_t SnmpSetPjlPassword(uint32_t address, uint32_t password) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpSetPjlPassword", address, 0, password);
  return 0;
}

// The security's version goes into the call's target.
int32_t SnmpSetPrinterSecurity(uint32_t address, const SnmpSecurity* security) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpSetPrinterSecurity", address, 0, security ? static_cast<uint32_t>(security->version) : 0);
  return 0;
}

int32_t SnmpSetDiscoverySecurity(const SnmpSecurity* security) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpSetDiscoverySecurity", 0, 0, security ? static_cast<uint32_t>(security->version) : 0);
  return 0;
}

// The library's own texts, from the contract's table.
const char* SnmpResultText(int32_t result) {
  switch (result) {
#define SNMP_DOUBLE_RESULT_TEXT(name, value, text) \
  case name: return text;
    GLYSNMP_RESULT_MAP(SNMP_DOUBLE_RESULT_TEXT)
#undef SNMP_DOUBLE_RESULT_TEXT
  }
  return "unknown result";
}

int32_t SnmpGetPrinterOptions(PrinterRecord* printer) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetPrinterOptions", printer->address);
  Device* known = FindDevice(s, printer->address);
  printer->storageOptions = known ? known->storageOptions : kStorageNone;
  return known ? 0 : 1;
}

int32_t SnmpGetPrinterDetails(PrinterRecord* printer, SnmpPrinterDetails* details) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetPrinterDetails", printer->address);
  *details = SnmpPrinterDetails{};
  const Device* known = FindDevice(s, printer->address);
  if (!known) return 1;
  details->fontSource = known->fontSource;
  return 0;
}

int32_t SnmpGetReportedStorage(PrinterRecord* printer, uint32_t* storageOptions) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetReportedStorage", printer->address);
  Device* known = FindDevice(s, printer->address);
  *storageOptions = known && known->reportsStorage ? known->storageOptions : kStorageNone;
  if (!known) return kSnmpNoAnswer;
  return known->reportsStorage ? kSnmpOk : kSnmpStorageUnreported;
}

int32_t SnmpGetPrinterAbilities(PrinterRecord* printer, SnmpPrinterAbilities* abilities) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetPrinterAbilities", printer->address);
  Device* known = FindDevice(s, printer->address);
  *abilities = known ? known->abilities : SnmpPrinterAbilities{};
  return known ? kSnmpOk : kSnmpNoAnswer;
}

int32_t SnmpGetFontList(PrinterRecord* printer, FontList* fonts) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetFontList", printer->address);
  fonts->count = 0;
  fonts->entries = nullptr;
  Device* known = FindDevice(s, printer->address);
  if (!known) return 1;
  if (known->fontListResult != 0) return known->fontListResult;
  HandOut(s, known->fonts.begin(), known->fonts.end(), fonts);
  return 0;
}

int32_t SnmpGetFontListFrom(PrinterRecord* printer, FontList* fonts, int32_t afterIndex) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetFontListFrom", printer->address, afterIndex);
  fonts->count = 0;
  fonts->entries = nullptr;
  Device* known = FindDevice(s, printer->address);
  if (!known || known->fontListResult != 0) return 1;
  auto after = std::find_if(known->fonts.begin(), known->fonts.end(),
                            [&](const FontEntry& e) { return e.index == afterIndex; });
  if (after == known->fonts.end()) return 0;
  HandOut(s, after + 1, known->fonts.cend(), fonts);
  return 0;
}

int32_t SnmpGetFontTable(PrinterRecord* printer, FontList* fonts) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpGetFontTable", printer->address);
  fonts->count = 0;
  fonts->entries = nullptr;
  Device* known = FindDevice(s, printer->address);
  if (!known || known->fontListResult != 0) return 1;
  if (!known->fontTable) return kSnmpNoFontTable;
  HandOut(s, known->fonts.begin(), known->fonts.end(), fonts);
  return 0;
}

int32_t SnmpQueryStoredFile(uint32_t address, const char* printerPath) {
  return AnswerStoredFile("SnmpQueryStoredFile", address, printerPath);
}

int32_t SnmpQueryStoredFileSize(uint32_t address, const char* printerPath, uint64_t* size) {
  std::optional<std::string> content;
  bool tellsSizes = true;
  const int32_t answer = AnswerStoredFile("SnmpQueryStoredFileSize", address, printerPath, &content, &tellsSizes);
  *size = content && tellsSizes ? content->size() : kSnmpUnknownSize;
  return answer;
}

int32_t SnmpUploadStoredFileHead(uint32_t address, const char* printerPath, char* head, uint32_t capacity,
                                 uint32_t* length) {
  std::optional<std::string> content;
  const int32_t answer = AnswerStoredFile("SnmpUploadStoredFileHead", address, printerPath, &content);
  *length = content ? static_cast<uint32_t>(std::min<size_t>(content->size(), capacity)) : 0;
  if (content) std::copy_n(content->data(), *length, head);
  return answer;
}

int32_t SnmpGetPjlPassword(uint32_t address, uint32_t* password) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  *password = 0;
  for (const Call& call : s.calls)
    if (call.operation == "SnmpSetPjlPassword" && call.address == address) *password = call.target;
  return 0;
}


int32_t SnmpFreeFontList(FontList* fonts) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpFreeFontList");
  if (fonts->entries) {
    if (s.handedOut.erase(fonts->entries) == 1) {
      std::free(fonts->entries);
    } else {
      ++s.foreignFrees;
    }
  }
  fonts->count = 0;
  fonts->entries = nullptr;
  return 0;
}

int32_t SnmpDeleteFontStart(DeleteContext* context, int32_t fontIndex) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  uint32_t address = PrinterAddress(context);
  Record(s, "SnmpDeleteFontStart", address, fontIndex);
  auto& progress = s.deletions[{address, fontIndex}];
  progress.polls = 0;
  return progress.script.startResult;
}

int32_t SnmpDeleteFontPoll(DeleteContext* context, int32_t fontIndex, uint32_t* pending) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  uint32_t address = PrinterAddress(context);
  Record(s, "SnmpDeleteFontPoll", address, fontIndex);
  auto& progress = s.deletions[{address, fontIndex}];
  ++progress.polls;
  if (progress.script.neverFinishes || progress.polls <= progress.script.pendingPolls) {
    *pending = 1;
    return progress.script.pendingResult;
  }
  *pending = 0;
  if (Device* known = FindDevice(s, address)) {
    std::erase_if(known->fonts, [&](const FontEntry& e) { return e.index == fontIndex; });
  }
  return 0;
}

int32_t SnmpDeleteFontEnd(DeleteContext* context) {
  auto& s = state();
  std::lock_guard guard(s.lock);
  Record(s, "SnmpDeleteFontEnd", PrinterAddress(context));
  return 0;
}

}  // extern "C"
